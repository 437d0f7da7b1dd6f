// An event of the Windows WHEA-Logger (the System log's provider Microsoft-Windows-WHEA-Logger), as
// rendered to XML: 18 a fatal machine check, 19 a corrected machine check, 17 a corrected error
// elsewhere (a PCI Express link, memory). Kept apart from the event log's API, so that it is read
// and tested on any system.
#pragma once
#include <cstdint>
#include <string>

struct whea_event {
  int32_t id = 0;        // 17, 18 or 19
  int64_t record = 0;    // the log's EventRecordID, which grows with every event written
  int64_t apic_id = -1;  // the processor that reported it (EventData ApicId); -1 where none
  int32_t bank = -1;     // the machine-check bank (EventData MCABank); -1 where none
};

// The event of `xml` (one <Event> element); false when it has no EventID or EventRecordID, or when a
// number is not one.
bool parse_whea_event(const std::string& xml, whea_event* event);

// "corrected machine check", "fatal machine check", "corrected error": what the event says, one of it.
const char* whea_event_kind(int32_t id);
