#pragma once
// The records field checks left out of a hand-over, found in the run log: the
// rejection lines of the group's last exporter run for the period.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lug::admin {

// From the run log's text (UTF-8, LF or CR LF line ends): the rejection lines
// after the last exporter start line of `akr` and `abrnr`, up to the start of
// the next run. Empty when the log holds no hand-over of the period.
std::vector<std::string> rejectionLinesOf(std::string_view logText, const std::string& akr,
                                          int32_t abrnr);

// The same for the run log file (Windows-1252); empty when it cannot be read.
std::vector<std::string> rejectionLines(const std::filesystem::path& runLog, const std::string& akr,
                                        int32_t abrnr);

}  // namespace lug::admin
