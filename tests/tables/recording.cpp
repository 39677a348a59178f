#include "recording.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "data/cxfile.h"
#include "data/records.h"

namespace tablestest {

time_t DefaultStart() {
  struct tm tm = {};
  tm.tm_year = 126;
  tm.tm_mon = 2;
  tm.tm_mday = 1;
  tm.tm_hour = 8;
  tm.tm_isdst = -1;
  return mktime(&tm);
}

bool MakeRecording(const std::string& path, const Recipe& recipe) {
  CXFile f;
  _tagDataHead& h = f.Head();
  const int n = static_cast<int>(recipe.channels.size());
  h.descSize = 160;
  h.lastIndex = recipe.records - 1;
  h.ringStart = 0;
  h.capacity = recipe.records;
  SetGbkField(h.model, "KVR6GV2");
  SetGbkField(h.title, "Export", true);
  h.station = 1;
  h.interval = recipe.interval;
  h.chnlCount = static_cast<uint8_t>(n);
  h.valueWidth = 1;
  h.yMode = 1;
  h.expFormat = 1;
  for (int ch = 0; ch < n; ++ch) {
    const Chnl& c = recipe.channels[static_cast<size_t>(ch)];
    _tagChnlDef& d = h.channels[ch];
    int scale = 1;
    for (int i = 0; i < c.decimals; ++i) scale *= 10;
    d.rangeLow = {static_cast<int16_t>(c.low * scale), static_cast<uint8_t>(c.decimals)};
    d.rangeHigh = {static_cast<int16_t>((c.low + 255) * scale), static_cast<uint8_t>(c.decimals)};
    SetGbkField(d.name, c.name);
    SetGbkField(d.unit, c.unit);
    d.shown = 1;
    d.penWidth = 1;
  }
  const time_t start = recipe.start ? recipe.start : DefaultStart();
  if (!f.Create(path)) return false;
  f.SetStartTime(start);
  f.SetEndTime(start + static_cast<time_t>(recipe.records - 1) * recipe.interval);
  if (!f.WriteHead()) return false;
  std::vector<uint8_t> buf(static_cast<size_t>(recipe.records));
  for (int ch = 0; ch < n; ++ch) {
    for (int r = 0; r < recipe.records; ++r)
      buf[static_cast<size_t>(r)] = static_cast<uint8_t>(recipe.count ? recipe.count(ch, r) : r % 256);
    if (!f.WriteValues(buf.data(), recipe.records, ch)) return false;
  }
  f.Advance(recipe.records);
  f.SetEndTime(0);
  f.Close();
  return true;
}

int Run(const std::vector<std::string>& argv, std::string* out, std::string* err) {
  char outName[] = "/tmp/tabrunXXXXXX";
  char errName[] = "/tmp/tabrunXXXXXX";
  const int fo = mkstemp(outName), fe = mkstemp(errName);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fo, 1);
    dup2(fe, 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  auto slurp = [](const char* name) {
    std::string s;
    if (FILE* f = std::fopen(name, "rb")) {
      char buf[65536];
      size_t k;
      while ((k = std::fread(buf, 1, sizeof(buf), f)) > 0) s.append(buf, k);
      std::fclose(f);
    }
    return s;
  };
  if (out) *out = slurp(outName);
  if (err) *err = slurp(errName);
  close(fo);
  close(fe);
  unlink(outName);
  unlink(errName);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ReadXlsx(const std::string& path, std::vector<Sheet>* sheets, std::string* error) {
  std::string out, err;
  const int rc = Run({"/usr/bin/python3", std::string(RECVIEW_SOURCE_DIR) + "/tests/tables/readxlsx.py", path},
                     &out, &err);
  if (rc != 0) {
    *error = "the reader failed (" + std::to_string(rc) + "): " + err;
    return false;
  }
  sheets->clear();
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    size_t p = 0;
    while (true) {
      const size_t t = line.find('\t', p);
      f.push_back(line.substr(p, t == std::string::npos ? std::string::npos : t - p));
      if (t == std::string::npos) break;
      p = t + 1;
    }
    if (f[0] == "S") {
      sheets->push_back({f[1], {}});
      continue;
    }
    if (f.size() < 6 || sheets->empty()) continue;
    const size_t r = std::stoul(f[1]), c = std::stoul(f[2]);
    auto& rows = sheets->back().rows;
    if (rows.size() <= r) rows.resize(r + 1);
    if (rows[r].size() <= c) rows[r].resize(c + 1);
    Cell& cell = rows[r][c];
    cell.type = f[3][0];
    cell.format = f[4];
    std::string v;
    const std::string& raw = f[5];
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\\' && i + 1 < raw.size()) {
        const char e = raw[++i];
        v += e == 'n' ? '\n' : e == 't' ? '\t' : e;
      } else {
        v += raw[i];
      }
    }
    cell.text = v;
    if (cell.type == 'n') cell.number = std::strtod(v.c_str(), nullptr);
  }
  return true;
}

}  // namespace tablestest
