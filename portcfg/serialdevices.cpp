#include "portcfg/serialdevices.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <fstream>

namespace portcfg {
namespace {

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return names;
  while (dirent* e = ::readdir(d)) {
    std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  ::closedir(d);
  return names;
}

bool HasPrefixAndNumber(const std::string& name, const std::string& prefix) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  return std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                     [](unsigned char c) { return std::isdigit(c) != 0; });
}

// A legacy 8250 port is listed by the kernel whether or not hardware answers
// there; its "type" attribute is 0 (unknown) when nothing does.
bool LegacyPortAbsent(const std::string& sysRoot, const std::string& name) {
  std::ifstream in(sysRoot + name + "/type");
  int type = -1;
  if (!(in >> type)) return false;  // no such attribute: keep the port
  return type == 0;
}

// "ttyS2" sorts before "ttyS10": compare runs of digits by value.
bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (std::isdigit(static_cast<unsigned char>(a[i])) &&
        std::isdigit(static_cast<unsigned char>(b[j]))) {
      size_t i2 = i, j2 = j;
      while (i2 < a.size() && std::isdigit(static_cast<unsigned char>(a[i2]))) ++i2;
      while (j2 < b.size() && std::isdigit(static_cast<unsigned char>(b[j2]))) ++j2;
      std::string na = a.substr(i, i2 - i), nb = b.substr(j, j2 - j);
      na.erase(0, std::min(na.find_first_not_of('0'), na.size()));
      nb.erase(0, std::min(nb.find_first_not_of('0'), nb.size()));
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      i = i2;
      j = j2;
    } else {
      if (a[i] != b[j]) return a[i] < b[j];
      ++i;
      ++j;
    }
  }
  return a.size() - i < b.size() - j;
}

}  // namespace

std::vector<std::string> ListSerialDevices(const std::string& devRoot, const std::string& sysRoot) {
  const std::string dev = WithSlash(devRoot), sys = WithSlash(sysRoot);
  std::vector<std::string> ports;
  for (const std::string& n : Names(dev)) {
    if (HasPrefixAndNumber(n, "ttyS")) {
      if (!LegacyPortAbsent(sys, n)) ports.push_back(n);
    } else if (HasPrefixAndNumber(n, "ttyUSB") || HasPrefixAndNumber(n, "ttyACM")) {
      ports.push_back(n);
    }
  }
  std::sort(ports.begin(), ports.end(), NaturalLess);
  std::vector<std::string> result;
  for (const std::string& n : ports) result.push_back(dev + n);

  std::vector<std::string> stable = Names(dev + "serial/by-id/");
  std::sort(stable.begin(), stable.end(), NaturalLess);
  for (const std::string& n : stable) result.push_back(dev + "serial/by-id/" + n);
  return result;
}

}  // namespace portcfg
