#include "history/history_log.h"

#include <system_error>

namespace history {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> linesOf(const fs::path& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

// The MAC of the last line that reads as one, in the newest file that has one.
Mac lastMac(const std::vector<fs::path>& newestFirst) {
  for (const fs::path& path : newestFirst) {
    const auto lines = linesOf(path);
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
      if (const auto parsed = parseLine(*it)) return parsed->mac;
  }
  return ChainStart;
}

}  // namespace

HistoryLog::HistoryLog(fs::path folder, std::vector<std::uint8_t> key, std::function<bool(const fs::path&)> makeFile)
    : folder_(std::move(folder)), key_(std::move(key)), makeFile_(std::move(makeFile)) {}

fs::path HistoryLog::pathOf(int rolled) const {
  return folder_ / (rolled == 0 ? std::string(FileName) : "history." + std::to_string(rolled) + ".log");
}

bool HistoryLog::open() {
  if (out_.is_open()) return true;
  std::error_code error;
  const fs::path path = pathOf(0);
  if (!fs::exists(path, error) && !makeFile_(path)) return false;
  if (!tailRead_) {
    std::vector<fs::path> newestFirst;
    for (int rolled = 0; rolled <= KeptRolled; ++rolled) newestFirst.push_back(pathOf(rolled));
    previous_ = lastMac(newestFirst);
    tailRead_ = true;
  }
  size_ = fs::file_size(path, error);
  if (error) return false;
  out_.open(path, std::ios::binary | std::ios::app);
  if (!out_.is_open()) return false;
  // A line cut short (a full disk, a killed service) is ended, so that the
  // next line starts on its own; the cut one then reads as changed.
  if (size_ > 0) {
    std::ifstream last(path, std::ios::binary);
    last.seekg(-1, std::ios::end);
    if (last.get() != '\n') {
      out_ << '\n';
      ++size_;
    }
  }
  return true;
}

bool HistoryLog::rollOver() {
  out_.close();
  std::error_code error;
  fs::remove(pathOf(KeptRolled), error);
  for (int rolled = KeptRolled - 1; rolled >= 0; --rolled)
    if (fs::exists(pathOf(rolled), error)) {
      fs::rename(pathOf(rolled), pathOf(rolled + 1), error);
      if (error) return false;
    }
  return open();
}

bool HistoryLog::append(const Event& event) {
  if (!open()) return false;
  Mac mac{};
  const auto line = formatLine(event, key_, previous_, mac);
  if (!line) return false;
  if (size_ > 0 && size_ + line->size() + 1 > RollBytes && !rollOver()) return false;
  out_ << *line << '\n';
  out_.flush();
  if (!out_) {
    // A half-written line is closed off, so that the next one starts clean.
    out_.clear();
    out_.close();
    return false;
  }
  size_ += line->size() + 1;
  previous_ = mac;
  return true;
}

std::vector<Entry> HistoryLog::read() const {
  std::error_code error;
  // Lines may have rolled away before the oldest file kept.
  ChainCheck check(key_, fs::exists(pathOf(KeptRolled), error));
  std::vector<Entry> entries;
  for (int rolled = KeptRolled; rolled >= 0; --rolled)
    for (const std::string& line : linesOf(pathOf(rolled))) entries.push_back(check.next(line));
  return entries;
}

bool HistoryLog::clear(const Event& event) {
  out_.close();
  std::error_code error;
  bool removed = true;
  for (int rolled = 1; rolled <= KeptRolled; ++rolled)
    if (!fs::remove(pathOf(rolled), error) && error) removed = false;
  // Emptied rather than deleted: a reader that has it open (without leave to
  // delete) cannot stop that, and the file keeps its access rights.
  if (fs::exists(pathOf(0), error)) {
    std::ofstream(pathOf(0), std::ios::binary | std::ios::trunc);
    if (fs::file_size(pathOf(0), error) != 0 || error) removed = false;
  }
  previous_ = ChainStart;
  tailRead_ = true;
  return removed && append(event);
}

}  // namespace history
