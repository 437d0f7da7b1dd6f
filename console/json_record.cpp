#include "console/json_record.h"

#include <cmath>
#include <cstdio>

#include "console/build_info.h"
#include "console/known_answer_text.h"

namespace {

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
    case pi_status::threads: return "threads";
  }
  return "unknown";
}

}  // namespace

void add_json_member(std::string* object, const char* name, const std::string& json_value) {
  *object += object->size() > 1 ? ", " : "";
  *object += json_string(name) + ": " + json_value;
}

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
    std::snprintf(distance, sizeof distance, run.worker >= 0 ? "%.17g" : "%.6g", result.max_rounding_distance);

  std::string out = "{";
  add_json_member(&out, "program", json_string(run.program));
  add_json_member(&out, "version", json_string(program_version()));
  add_json_member(&out, "run", number(run.run));
  add_json_member(&out, "digits", number(result.digits));
  add_json_member(&out, "iterations", number(result.iterations));
  add_json_member(&out, "memory_bytes", number(result.memory_bytes));
  add_json_member(&out, "threads", number(result.threads > 1 ? result.threads : 1));
  add_json_member(&out, "phase_ms", phases);
  add_json_member(&out, "total_ms", number(result.total_ms));
  add_json_member(&out, "max_rounding_distance", distance);
  add_json_member(&out, "verified", result.verified ? "true" : "false");
  add_json_member(&out, "status", json_string(run.worker_status ? run.worker_status : status_name(run.status)));
  if (run.worker_status) add_json_member(&out, "worker_failure", json_string(run.worker_failure));
  if (run.status == pi_status::not_reproducible)
    add_json_member(&out, "differing_phase", json_string(differing_phase_name(result).c_str()));
  add_json_member(&out, "exit_status", number(run.exit_status));
  add_json_member(&out, "vector_path", json_string(run.vector_path ? run.vector_path : vector_path_name()));
  add_json_member(&out, "processor", json_string(processor_name().c_str()));
  add_json_member(&out, "os", json_string(operating_system_name().c_str()));
  if (run.worker >= 0) {
    add_json_member(&out, "worker", number(run.worker));
    add_json_member(&out, "cpu", number(run.cpu));
    add_json_member(&out, "record", json_string("run"));
    if (run.time) add_json_member(&out, "time", json_string(run.time));
  }
  if (run.more_members && *run.more_members) out += std::string(", ") + run.more_members;
  return out + "}";
}
