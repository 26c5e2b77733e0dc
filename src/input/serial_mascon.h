#pragma once
// The serial master controller: it sends one short text line, ended by a carriage return,
// per handle movement. The first five characters of a line are compared with the codes of
// mascon.dat; a match moves the handles or posts the key it stands for.

#include <string>
#include <string_view>
#include <vector>

#include "input/input_run.h"

namespace velmora {

// Serial text received (one read of the port). Text up to a carriage return completes the
// line begun by earlier reads, which is then handled; each carriage return ends one line,
// so several lines in one read are all handled, in order. A line feed is ignored (a device
// may end its lines with CR LF). Text after the last carriage return begins the next line.
// Returns the lines handled, without their carriage returns, for a recording of the drive.
std::vector<std::string> RxChar(const InputRun& run, std::string_view received);

// One complete line (without its carriage return): the vigilance timer restarts, the line
// becomes the value display's caption, and a line whose first five characters equal a
// mascon.dat code does what that code stands for. Posted keys are handled last.
void mascon_line(const InputRun& run, std::string_view line);

// The lines that text read from the port completes, without handling them: each is then
// applied as a driver's command. Text after the last carriage return waits for the next
// read, as with RxChar. The desktop program calls this once a main-loop pass.
std::vector<std::string> serial_lines(const InputRun& run, std::string_view received);

// The master controller's port was lost (false) or is back (true). A controller that is
// gone cannot hold power on: power goes to notch 0, the brake and reverser stay where they
// were, and a line left half-sent is dropped. Either way the driver is told (event
// "device": "serial lost" / "serial back").
void serial_connection(const InputRun& run, bool connected);

}  // namespace velmora
