// The texts of the hardware's reports as the stress test reads them: the per-CPU counts of
// /proc/interrupts (a CPU's column found by its header, not its place) and the XML of a WHEA-Logger
// event. Anything not understood is refused, never half read.
#include <gtest/gtest.h>

#include <string>

#include "console/stress/hardware/interrupt_counts.h"
#include "console/stress/hardware/whea_event.h"

namespace {

TEST(HardwareReports, InterruptCounts) {
  const std::vector<std::string> rows = {"MCE", "THR", "DFR"};
  struct {
    const char* name;
    const char* text;
    bool parsed;
    interrupt_counts counts;
  } cases[] = {
      {"two CPUs, a row left out and one not asked for",
       "           CPU0       CPU1\n"
       "  0:         40          0   IO-APIC    2-edge      timer\n"
       "THR:          0          3   Threshold APIC interrupts\n"
       "MCE:          1          0   Machine check exceptions\n"
       "MCP:         12         12   Machine check polls\n",
       true,
       {{"THR", {{0, 0}, {1, 3}}}, {"MCE", {{0, 1}, {1, 0}}}}},
      {"CPUs offline: the columns are those of the header",
       "       CPU0       CPU2       CPU5\nDFR:          0          7          9   Deferred Error APIC interrupts\n", true,
       {{"DFR", {{0, 0}, {2, 7}, {5, 9}}}}},
      {"a row with fewer counts than CPUs", "   CPU0 CPU1\nTHR: 4\n", false, {}},
      {"a count that is not a number", "   CPU0 CPU1\nMCE: 4 x7 Machine check exceptions\n", false, {}},
      {"a count too large", "   CPU0\nMCE: 12345678901234567890 Machine check exceptions\n", false, {}},
      {"no header", "MCE: 0 0\n", false, {}},
      {"an empty file", "", false, {}},
      {"garbage", "\x01\x02 zz\n", false, {}},
  };
  for (const auto& c : cases) {
    interrupt_counts counts;
    EXPECT_EQ(parse_interrupt_counts(c.text, rows, &counts), c.parsed) << c.name;
    if (c.parsed) {
      EXPECT_EQ(counts, c.counts) << c.name;
    }
  }
}

TEST(HardwareReports, WheaEvent) {
  // As EvtRender writes them: single quotes, a namespace, qualifiers on EventID.
  const std::string corrected =
      "<Event xmlns='http://schemas.microsoft.com/win/2004/08/events/event'><System>"
      "<Provider Name='Microsoft-Windows-WHEA-Logger' Guid='{c26c4f3c-3f66-4e99-8f8a-39405cfed220}'/>"
      "<EventID Qualifiers='0'>19</EventID><Version>0</Version><Level>3</Level>"
      "<TimeCreated SystemTime='2026-12-09T04:00:00.0000000Z'/><EventRecordID>8123</EventRecordID>"
      "<Channel>System</Channel></System><EventData><Data Name='ErrorSource'>1</Data>"
      "<Data Name='ApicId'>14</Data><Data Name='MCABank'>0x5</Data><Data Name='MciStat'>0x9c2040000000011b</Data>"
      "</EventData></Event>";
  struct {
    const char* name;
    std::string xml;
    bool parsed;
    whea_event event;
  } cases[] = {
      {"a corrected machine check", corrected, true, {19, 8123, 14, 5}},
      {"double quotes, no bank", "<Event><System><EventID>18</EventID><EventRecordID>9</EventRecordID></System>"
                                 "<EventData><Data Name=\"ApicId\">3</Data></EventData></Event>",
       true, {18, 9, 3, -1}},
      {"an error elsewhere: no processor",
       "<Event><System><EventID>17</EventID><EventRecordID>10</EventRecordID></System><EventData>"
       "<Data Name='ErrorSource'>4</Data><Data Name='ApicId'/></EventData></Event>",
       true, {17, 10, -1, -1}},
      {"no record id", "<Event><System><EventID>19</EventID></System></Event>", false, {}},
      {"an APIC id that is not a number",
       "<Event><System><EventID>19</EventID><EventRecordID>1</EventRecordID></System>"
       "<EventData><Data Name='ApicId'>-1</Data></EventData></Event>",
       false, {}},
      {"garbage", "<<Event>\x01", false, {}},
  };
  for (const auto& c : cases) {
    whea_event e;
    ASSERT_EQ(parse_whea_event(c.xml, &e), c.parsed) << c.name;
    if (!c.parsed) continue;
    EXPECT_EQ(e.id, c.event.id) << c.name;
    EXPECT_EQ(e.record, c.event.record) << c.name;
    EXPECT_EQ(e.apic_id, c.event.apic_id) << c.name;
    EXPECT_EQ(e.bank, c.event.bank) << c.name;
  }
}

}  // namespace
