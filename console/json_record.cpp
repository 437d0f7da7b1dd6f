#include "console/json_record.h"

#include <cmath>
#include <cstdio>

#include "console/build_info.h"
#include "console/known_answer_text.h"

namespace {

void add_member(std::string* out, const char* name, const std::string& json_value) {
  *out += out->size() > 1 ? ", " : "";
  *out += json_string(name) + ": " + json_value;
}

std::string number(long long value) { return std::to_string(value); }

const char* status_name(pi_status status) {
  switch (status) {
    case pi_status::ok:
      return "ok";
    case pi_status::memory:
      return "memory";
    case pi_status::file_open:
      return "file_open";
    case pi_status::file_write:
      return "file_write";
    case pi_status::rounding:
      return "rounding";
    case pi_status::verification:
      return "verification";
    case pi_status::not_reproducible:
      return "not_reproducible";
    case pi_status::cancelled:
      return "cancelled";
  }
  return "unknown";
}

}  // namespace

std::string json_string(const char* text) {
  std::string out = "\"";
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
    switch (*c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (*c < 0x20 || *c == 0x7f) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", *c);
          out += escaped;
        } else {
          out += static_cast<char>(*c);
        }
    }
  }
  return out + "\"";
}

std::string json_record(const run_description& run) {
  const pi_result& result = *run.result;
  std::string phases = "[";
  // Phases 0 .. iterations + 1 as far as they ran; a run that failed early has fewer.
  for (int32_t phase = 0; phase < run.phases_done; ++phase)
    phases += (phase ? ", " : "") + number(result.phase_ms[phase]);
  phases += "]";

  // Nothing was measured when no phase ran (the run failed at its start).
  char distance[32] = "null";
  if (run.phases_done > 0 && std::isfinite(result.max_rounding_distance))
    std::snprintf(distance, sizeof distance, "%.6g", result.max_rounding_distance);

  std::string out = "{";
  add_member(&out, "program", json_string(run.program));
  add_member(&out, "version", json_string(program_version()));
  add_member(&out, "run", number(run.run));
  add_member(&out, "digits", number(result.digits));
  add_member(&out, "iterations", number(result.iterations));
  add_member(&out, "memory_bytes", number(result.memory_bytes));
  add_member(&out, "phase_ms", phases);
  add_member(&out, "total_ms", number(result.total_ms));
  add_member(&out, "max_rounding_distance", distance);
  add_member(&out, "verified", result.verified ? "true" : "false");
  add_member(&out, "status", json_string(status_name(run.status)));
  if (run.status == pi_status::not_reproducible)
    add_member(&out, "differing_phase", json_string(differing_phase_name(result).c_str()));
  add_member(&out, "exit_status", number(run.exit_status));
  add_member(&out, "vector_path", json_string(vector_path_name()));
  add_member(&out, "processor", json_string(processor_name().c_str()));
  add_member(&out, "os", json_string(operating_system_name().c_str()));
  if (run.worker >= 0) {
    add_member(&out, "worker", number(run.worker));
    add_member(&out, "cpu", number(run.cpu));
  }
  return out + "}";
}
