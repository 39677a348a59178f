#include "data/cxfile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/localspan.h"
#include "platform/programdir.h"
#include "platform/safefile.h"

namespace {

// Fixed places of the header blocks.
constexpr int64_t kHeadBlock = 256;      // layout 0 header; data starts at 256 + 160 N in 0-2
constexpr int64_t kPInfo = 64;           // family P info block
constexpr int64_t kPDefs = 128;          // family P channel definitions
constexpr int64_t kMarksGap = 768;       // zero bytes between the data area and the marks
constexpr int kMaxMarks = 255;
constexpr int64_t kRingRecords = 262144;  // samples a recorder's ring holds per channel

// Little-endian fields, byte by byte.
uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
int64_t Get64(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return static_cast<int64_t>(v);
}
float GetF(const uint8_t* p) {
  uint32_t u = Get32(p);
  float f;
  std::memcpy(&f, &u, sizeof(f));
  return f;
}
void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutF(uint8_t* p, float f) {
  uint32_t u;
  std::memcpy(&u, &f, sizeof(u));
  Put32(p, u);
}

// Form 1 (layouts 0 and 1) and form 2 (layout 2) of a channel definition.
void DecodeDef(const uint8_t* d, bool form2, _tagChnlDef& def) {
  def = _tagChnlDef{};
  std::memcpy(def.name, d + 0x00, 32);
  std::memcpy(def.unit, d + 0x20, 16);
  std::memcpy(def.spare, d + 0x30, 16);
  _tagScaleNum* nums[7] = {&def.rangeLow, &def.rangeHigh, &def.limit1, &def.limit2,
                           &def.limit3,   &def.limit4,    &def.limit5};
  for (int i = 0; i < 7; ++i) *nums[i] = ScaleNumFromBytes(d + 0x40 + 4 * i);
  def.devWord[0] = Get32(d + 0x5C);
  if (form2) {
    def.devWord[1] = Get32(d + 0x60);
    def.colour = Get32(d + 0x64);
    def.shown = d[0x68];
    def.penWidth = d[0x69];
    def.logScale = d[0x6A];
  } else {
    def.colour = Get32(d + 0x61);
    def.shown = d[0x65];
    def.penWidth = d[0x66];
    def.logScale = d[0x67];
  }
}

void EncodeDef(const _tagChnlDef& def, bool form2, uint8_t* d) {
  std::memset(d, 0, kChnlDefSize);
  std::memcpy(d + 0x00, def.name, 32);
  std::memcpy(d + 0x20, def.unit, 16);
  std::memcpy(d + 0x30, def.spare, 16);
  const _tagScaleNum* nums[7] = {&def.rangeLow, &def.rangeHigh, &def.limit1, &def.limit2,
                                 &def.limit3,   &def.limit4,    &def.limit5};
  for (int i = 0; i < 7; ++i) ScaleNumToBytes(*nums[i], d + 0x40 + 4 * i);
  Put32(d + 0x5C, def.devWord[0]);
  if (form2) {
    Put32(d + 0x60, def.devWord[1]);
    Put32(d + 0x64, def.colour);
    d[0x68] = def.shown;
    d[0x69] = def.penWidth;
    d[0x6A] = def.logScale;
  } else {
    Put32(d + 0x61, def.colour);
    d[0x65] = def.shown;
    d[0x66] = def.penWidth;
    d[0x67] = def.logScale;
  }
}

// The display settings and the reference lines stand in the same order in
// every layout that carries them: layout 0 from 0x41 and 0x66, family P from
// the start of the display block and at 0x17 in it. Only the grid counts take
// one byte in layout 0 and two in family P.
void DecodeView(const uint8_t* p, bool wideGrids, _tagDataHead& h) {
  h.xMode = p[0x00];
  h.yMode = p[0x01];
  h.yLow = GetF(p + 0x02);
  h.yHigh = GetF(p + 0x06);
  if (wideGrids) {
    h.xGrids = Get16(p + 0x0A);
    h.yGrids = Get16(p + 0x0C);
  } else {
    h.xGrids = p[0x0A];
    h.yGrids = p[0x0B];
  }
  const uint8_t* c = p + (wideGrids ? 0x0E : 0x0C);
  h.clrGrid = Get32(c);
  h.clrBack = Get32(c + 0x04);
  h.gridShown = c[0x08];
}

void EncodeView(const _tagDataHead& h, bool wideGrids, uint8_t* p) {
  p[0x00] = h.xMode;
  p[0x01] = h.yMode;
  PutF(p + 0x02, h.yLow);
  PutF(p + 0x06, h.yHigh);
  if (wideGrids) {
    Put16(p + 0x0A, h.xGrids);
    Put16(p + 0x0C, h.yGrids);
  } else {
    p[0x0A] = static_cast<uint8_t>(h.xGrids);
    p[0x0B] = static_cast<uint8_t>(h.yGrids);
  }
  uint8_t* c = p + (wideGrids ? 0x0E : 0x0C);
  Put32(c, h.clrGrid);
  Put32(c + 0x04, h.clrBack);
  c[0x08] = h.gridShown;
}

void DecodeRefs(const uint8_t* p, _tagDataHead& h) {
  h.tagByte = p[0x00];
  h.kindByte = p[0x01];
  h.refShown1 = p[0x02];
  h.refShown2 = p[0x03];
  h.refValue1 = GetF(p + 0x04);
  h.refValue2 = GetF(p + 0x08);
  std::memcpy(h.refLabel1, p + 0x0C, 11);
  std::memcpy(h.refLabel2, p + 0x17, 11);
}

void EncodeRefs(const _tagDataHead& h, uint8_t* p) {
  p[0x00] = h.tagByte;
  p[0x01] = h.kindByte;
  p[0x02] = h.refShown1;
  p[0x03] = h.refShown2;
  PutF(p + 0x04, h.refValue1);
  PutF(p + 0x08, h.refValue2);
  std::memcpy(p + 0x0C, h.refLabel1, 11);
  std::memcpy(p + 0x17, h.refLabel2, 11);
}

// The time block of family P (layouts 1 to 3), after the display block or
// the cumulative channel table; the count width at 0x18 is read by the caller
// (layout 3 has none).
void DecodeTimes(const uint8_t* tb, _tagDataHead& h) {
  std::memcpy(h.startStamp, tb, 6);
  std::memcpy(h.endStamp, tb + 0x06, 6);
  h.lastIndex = static_cast<int32_t>(Get32(tb + 0x0C));
  h.ringStart = static_cast<int32_t>(Get32(tb + 0x10));
  h.capacity = static_cast<int32_t>(Get32(tb + 0x14));
  h.spare2 = tb[0x19];
}

int LayoutOfModel(const char* model) {
  if (model[2] != 'P') return 0;
  if (model[10] == 'P') return 3;
  return model[6] == '1' ? 1 : 2;
}

bool WriteAll(int fd, const void* data, size_t n, off_t at) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  while (n > 0) {
    ssize_t w = ::pwrite(fd, p, n, at);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<size_t>(w);
    at += w;
  }
  return true;
}

double Pow10(int e) { return std::pow(10.0, e); }

}  // namespace

const char* OpenErrorText(OpenError reason) {
  switch (reason) {
    case OpenError::None: return "no error";
    case OpenError::NoPath: return "no file name was given";
    case OpenError::CannotRead: return "the file cannot be opened";
    case OpenError::NotRegular: return "it is not a file (a directory or a device)";
    case OpenError::Empty: return "the file is empty";
    case OpenError::TooShort:
      return "not a recorder data file: the file is too short to hold a data file header";
    case OpenError::NotDataFile: return "it is not a recorder data file (no \"KV\" signature)";
    case OpenError::DescSize: return "the header is damaged: its channel description size is not 160";
    case OpenError::ChannelCount: return "the header is damaged: it names more than 64 channels";
    case OpenError::ChannelTable: return "the file ends inside its channel table (truncated)";
    case OpenError::Interval: return "the header is damaged: its recording interval is not positive";
    case OpenError::Capacity: return "the header is damaged: its record capacity is not positive";
    case OpenError::ValueWidth:
      return "the header is damaged: its value width is neither 1 nor 2 bytes";
    case OpenError::DataBeyondEnd:
      return "the header does not fit the file: its records run past the end of the file "
             "(truncated)";
    case OpenError::MarksBeyondEnd:
      return "the header does not fit the file: its marks run past the end of the file "
             "(truncated)";
    case OpenError::TimeSpan:
      return "the header is damaged: its start and end times span more records than the file "
             "holds";
  }
  return "unknown error";
}

CXFile::CXFile() { head_.expFormat = 1; }

// An unfinished download ends without replacing its target.
CXFile::~CXFile() { Finish(false); }

int CXFile::GetLayout() const { return LayoutOfModel(head_.model); }

// ---------------------------------------------------------------- geometry

int64_t CXFile::DataOffset() const {
  if (layout_ == 3) return 192 + 64 * static_cast<int64_t>(head_.chnlCount);
  return kHeadBlock + kChnlDefSize * static_cast<int64_t>(head_.chnlCount);
}

int64_t CXFile::DataBytes() const {
  int64_t width = layout_ == 3 ? 8 : head_.valueWidth;
  return static_cast<int64_t>(head_.chnlCount) * width * std::max<int64_t>(head_.capacity, 0);
}

int64_t CXFile::MarksOffset() const {
  return kHeadBlock + kMarksGap + kChnlDefSize * static_cast<int64_t>(head_.chnlCount) +
         static_cast<int64_t>(head_.chnlCount) * head_.valueWidth *
             std::max<int64_t>(head_.capacity, 0);
}

int64_t CXFile::FileEnd() const { return MarksOffset() + 4 * static_cast<int64_t>(head_.markCount); }

// ---------------------------------------------------------------- mapping

void CXFile::Unmap() { view_.reset(); }

bool CXFile::MappedWritable() const {
  return view_ && (state_ == State::kViewing || state_ == State::kSaved ||
                   state_ == State::kLiveStore);
}

bool CXFile::MapExisting(const std::string& path) {
  // A download or the live store is ended by Close, never dropped here.
  if (state_ == State::kDownload || state_ == State::kLiveStore) return false;
  std::string p = path.empty() ? path_ : path;
  const bool saved = state_ == State::kSaved && path.empty();
  Unmap();
  fd_.reset();
  state_ = State::kEmpty;
  if (p.empty()) return false;

  bool readOnly = false;
  UniqueFd fd(::open(p.c_str(), O_RDWR | O_CLOEXEC));
  if (!fd.valid() && (errno == EACCES || errno == EROFS || errno == EPERM)) {
    fd.reset(::open(p.c_str(), O_RDONLY | O_CLOEXEC));
    readOnly = true;
  }
  auto fail = [this](OpenError why) {
    openErrno_ = errno;
    openError_ = why;
    return false;
  };
  if (!fd.valid()) return fail(errno == EISDIR ? OpenError::NotRegular : OpenError::CannotRead);
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return fail(OpenError::CannotRead);
  if (!S_ISREG(st.st_mode)) return fail(OpenError::NotRegular);
  if (st.st_size <= 0) return fail(OpenError::Empty);
  if (!view_.map(fd.get(), static_cast<size_t>(st.st_size), !readOnly))
    return fail(OpenError::CannotRead);
  fd_ = std::move(fd);
  path_ = p;
  state_ = readOnly ? State::kViewingReadOnly : saved ? State::kSaved : State::kViewing;
  return true;
}

bool CXFile::Open(const std::string& path) {
  openError_ = OpenError::NoPath;
  openErrno_ = 0;
  if (path.empty()) return false;
  Finish(false);
  openError_ = OpenError::None;
  path_ = path;
  if (!MapExisting(path)) {
    path_.clear();
    return false;
  }
  if (!Load()) {
    Close();
    head_ = _tagDataHead{};
    head_.expFormat = 1;
    for (auto& s : scales_) s = ChnlScale{};
    return false;
  }
  return true;
}

// Copies the header of the mapped file into head_ and checks that everything
// it promises lies inside the file.
bool CXFile::Load() {
  const uint8_t* v = view_.data();
  const int64_t size = static_cast<int64_t>(view_.size());
  auto reject = [this](OpenError why) {
    openError_ = why;
    return false;
  };
  if (size < kHeadBlock) return reject(OpenError::TooShort);
  if (v[0] != 'K' || v[1] != 'V') return reject(OpenError::NotDataFile);

  _tagDataHead h;
  h.expFormat = 1;
  std::memcpy(h.model, v, 16);
  const int layout = LayoutOfModel(h.model);

  if (layout == 0) {
    std::memcpy(h.title, v + 0x10, 32);
    std::memcpy(h.startStamp, v + 0x30, 6);
    std::memcpy(h.endStamp, v + 0x36, 6);
    h.station = v[0x3C];
    h.interval = v[0x3D];
    h.chnlCount = v[0x3E];
    h.reserved1 = v[0x3F];
    h.markCount = v[0x40];
    DecodeView(v + 0x41, false, h);
    h.lastIndex = static_cast<int32_t>(Get32(v + 0x56));
    h.ringStart = static_cast<int32_t>(Get32(v + 0x5A));
    h.capacity = static_cast<int32_t>(Get32(v + 0x5E));
    h.valueWidth = v[0x62];
    h.descSize = Get16(v + 0x63);
    h.expFormat = v[0x65];
    DecodeRefs(v + 0x66, h);
    if (h.descSize != kChnlDefSize) return reject(OpenError::DescSize);
    if (h.chnlCount > kMaxChannels) return reject(OpenError::ChannelCount);
    if (size < kHeadBlock + kChnlDefSize * static_cast<int64_t>(h.chnlCount))
      return reject(OpenError::ChannelTable);
    for (int ch = 0; ch < h.chnlCount; ++ch)
      DecodeDef(v + kHeadBlock + kChnlDefSize * ch, false, h.channels[ch]);
  } else if (layout == 1 || layout == 2) {
    const uint8_t* info = v + kPInfo;
    std::memcpy(h.title, info, 32);
    h.chnlCount = info[0x20];
    h.reserved1 = info[0x21];
    h.interval = Get16(info + 0x22);
    h.station = info[0x24];
    h.expFormat = info[0x25];
    h.markCount = info[0x26];
    h.valueWidth = info[0x27];
    if (h.chnlCount > kMaxChannels) return reject(OpenError::ChannelCount);
    const int64_t n = h.chnlCount;
    if (size < kHeadBlock + kChnlDefSize * n) return reject(OpenError::ChannelTable);
    for (int ch = 0; ch < h.chnlCount; ++ch)
      DecodeDef(v + kPDefs + kChnlDefSize * ch, layout == 2, h.channels[ch]);
    const uint8_t* disp = v + kPDefs + kChnlDefSize * n;
    DecodeView(disp, true, h);
    DecodeRefs(disp + 0x17, h);
    const uint8_t* tb = disp + 64;
    DecodeTimes(tb, h);
    h.valueWidth = tb[0x18];
    h.descSize = kChnlDefSize;
  } else {  // layout 3: cumulative totals
    const uint8_t* info = v + kPInfo;
    std::memcpy(h.title, info, 32);
    h.chnlCount = info[0x20];
    h.cumPeriod = info[0x21];
    h.cumByte1 = info[0x22];
    h.cumByte2 = info[0x23];
    if (h.chnlCount > kMaxChannels) return reject(OpenError::ChannelCount);
    const int64_t n = h.chnlCount;
    if (size < 192 + 64 * n) return reject(OpenError::ChannelTable);
    DecodeTimes(v + 128 + 64 * n, h);
    h.valueWidth = 8;
    h.interval = CumPeriodInterval(h.cumPeriod);
    h.descSize = kChnlDefSize;
  }

  // What the header promises must lie inside the file.
  if (h.interval <= 0) return reject(OpenError::Interval);
  if (h.capacity <= 0 || h.ringStart < 0) return reject(OpenError::Capacity);
  if (layout != 3 && h.valueWidth != 1 && h.valueWidth != 2) return reject(OpenError::ValueWidth);

  h.tagByte = 10;
  h.startTime = StampToTime(h.startStamp);
  h.endTime = StampToTime(h.endStamp);
  // A stamp in the hour that comes twice where the clocks go back is the
  // instant that the header's last record index agrees with.
  const time_t span = static_cast<time_t>(h.lastIndex) * h.interval;
  h.endTime = platform::WithinSpan(h.endTime, h.startTime + span, h.startTime + span, platform::SpanEdge::End);
  h.startTime = platform::WithinSpan(h.startTime, h.endTime - span, h.endTime - span, platform::SpanEdge::Start);

  const _tagDataHead saved = head_;
  const int savedLayout = layout_;
  head_ = h;
  layout_ = layout;
  OpenError misfit = OpenError::None;
  if (DataOffset() + DataBytes() > size) misfit = OpenError::DataBeyondEnd;
  else if (layout != 3 && h.markCount > 0 && FileEnd() > size) misfit = OpenError::MarksBeyondEnd;
  if (misfit != OpenError::None) {
    head_ = saved;
    layout_ = savedLayout;
    return reject(misfit);
  }

  if (head_.endTime < head_.startTime) {
    recordCount_ = 0;
  } else {
    // Records past the capacity read slot 0, but no recording holds more than
    // its slots or a recorder's whole ring: a count beyond both comes from a
    // damaged stamp and would make every walk over the records (listing,
    // search, export) run for up to 2^31 steps.
    int64_t count = (static_cast<int64_t>(head_.endTime) - head_.startTime) / head_.interval + 1;
    if (count > std::max<int64_t>(head_.capacity, kRingRecords)) {
      head_ = saved;
      layout_ = savedLayout;
      return reject(OpenError::TimeSpan);
    }
    recordCount_ = static_cast<int32_t>(count);
  }
  PrepareScales();
  return true;
}

void CXFile::PrepareScales() {
  const double full = FullScale(head_.valueWidth);
  for (int ch = 0; ch < kMaxChannels; ++ch) {
    const _tagChnlDef& d = head_.channels[ch];
    ChnlScale& s = scales_[ch];
    s.log = d.logScale != 0;
    s.full = full;
    if (s.log) {
      int lo = ScaleNumExponent(d.rangeLow);
      int hi = ScaleNumExponent(d.rangeHigh);
      s.low = lo;
      s.span = (hi - lo) * (1.0 / 65535.0);
    } else {
      double lo = ScaleNumValue(d.rangeLow);
      double hi = ScaleNumValue(d.rangeHigh);
      s.low = lo;
      s.span = hi - lo;
    }
  }
}

// ---------------------------------------------------------------- creating

bool CXFile::Create(const std::string& path) {
  Finish(false);
  if (path.empty()) return false;
  // The new file replaces the one at path only when complete; a file the user
  // may not write is not replaced either, and a link keeps pointing where it did.
  auto out = std::make_unique<platform::NewFile>();
  if (!out->Open(path)) return false;
  fd_.reset(out->Fd());
  download_ = std::move(out);
  path_ = download_->Target();
  state_ = State::kDownload;
  layout_ = GetLayout();
  PrepareScales();
  return true;
}

void CXFile::BuildHeadImage(uint8_t* img) const {
  const _tagDataHead& h = head_;
  const int64_t n = h.chnlCount;
  std::memset(img, 0, static_cast<size_t>(kHeadBlock + kChnlDefSize * n));
  if (layout_ == 0) {
    std::memcpy(img, h.model, 16);
    std::memcpy(img + 0x10, h.title, 32);
    std::memcpy(img + 0x30, h.startStamp, 6);
    std::memcpy(img + 0x36, h.endStamp, 6);
    img[0x3C] = h.station;
    img[0x3D] = static_cast<uint8_t>(h.interval);
    img[0x3E] = h.chnlCount;
    img[0x3F] = h.reserved1;
    img[0x40] = h.markCount;
    EncodeView(h, false, img + 0x41);
    Put32(img + 0x56, static_cast<uint32_t>(h.lastIndex));
    Put32(img + 0x5A, static_cast<uint32_t>(h.ringStart));
    Put32(img + 0x5E, static_cast<uint32_t>(h.capacity));
    img[0x62] = h.valueWidth;
    Put16(img + 0x63, kChnlDefSize);
    img[0x65] = h.expFormat;
    EncodeRefs(h, img + 0x66);
    for (int ch = 0; ch < n; ++ch)
      EncodeDef(h.channels[ch], false, img + kHeadBlock + kChnlDefSize * ch);
    return;
  }
  std::memcpy(img, h.model, 16);
  uint8_t* info = img + kPInfo;
  std::memcpy(info, h.title, 32);
  info[0x20] = h.chnlCount;
  info[0x21] = h.reserved1;
  Put16(info + 0x22, static_cast<uint16_t>(h.interval));
  info[0x24] = h.station;
  info[0x25] = h.expFormat;
  info[0x26] = h.markCount;
  info[0x27] = h.valueWidth;
  for (int ch = 0; ch < n; ++ch)
    EncodeDef(h.channels[ch], layout_ == 2, img + kPDefs + kChnlDefSize * ch);
  uint8_t* disp = img + kPDefs + kChnlDefSize * n;
  EncodeView(h, true, disp);
  EncodeRefs(h, disp + 0x17);
  uint8_t* tb = disp + 64;
  std::memcpy(tb, h.startStamp, 6);
  std::memcpy(tb + 0x06, h.endStamp, 6);
  Put32(tb + 0x0C, static_cast<uint32_t>(h.lastIndex));
  Put32(tb + 0x10, static_cast<uint32_t>(h.ringStart));
  Put32(tb + 0x14, static_cast<uint32_t>(h.capacity));
  tb[0x18] = h.valueWidth;
  tb[0x19] = h.spare2;
}

// The header fields a file can hold: a channel table of at most 64, a count
// width of 1 or 2, and (layout 0 keeps one byte of it) an interval that fits.
static bool HeadStorable(const _tagDataHead& h, int layout) {
  if (layout == 3 || h.chnlCount > kMaxChannels) return false;
  if (h.valueWidth != 1 && h.valueWidth != 2) return false;
  if (h.interval <= 0 || h.interval > (layout == 0 ? 0xFF : 0xFFFF)) return false;
  return true;
}

bool CXFile::WriteHead() {
  if (state_ != State::kDownload) return false;
  layout_ = GetLayout();
  if (!HeadStorable(head_, layout_)) return false;
  head_.descSize = kChnlDefSize;
  std::vector<uint8_t> img(static_cast<size_t>(kHeadBlock + kChnlDefSize * head_.chnlCount));
  BuildHeadImage(img.data());
  PrepareScales();
  if (!WriteAll(fd_.get(), img.data(), img.size(), 0)) return false;
  recordCount_ = 0;
  return true;
}

bool CXFile::PutHead() {
  if (!MappedWritable()) return false;
  if (state_ == State::kLiveStore) layout_ = GetLayout();
  if (layout_ == 3 || head_.chnlCount > kMaxChannels) return false;
  const size_t n = static_cast<size_t>(kHeadBlock + kChnlDefSize * head_.chnlCount);
  if (n > view_.size()) return false;
  head_.descSize = kChnlDefSize;
  BuildHeadImage(view_.data());
  PrepareScales();
  return true;
}

bool CXFile::PutChnlDef(const _tagChnlDef& def, int ch) {
  if (ch < 0 || ch >= kMaxChannels) return false;
  head_.channels[ch] = def;
  PrepareScales();
  if (!MappedWritable() || layout_ == 3 || ch >= head_.chnlCount) return true;
  const int64_t at = (layout_ == 0 ? kHeadBlock : kPDefs) + kChnlDefSize * ch;
  if (at + kChnlDefSize > static_cast<int64_t>(view_.size())) return false;
  EncodeDef(def, layout_ == 2, view_.data() + at);
  return true;
}

void CXFile::StoreStamp(const uint8_t* stamp, int which) {
  if (!MappedWritable() || layout_ == 3) return;
  int64_t at = layout_ == 0 ? 0x30 : 192 + kChnlDefSize * static_cast<int64_t>(head_.chnlCount);
  at += 6 * which;
  if (at + 6 > static_cast<int64_t>(view_.size())) return;
  std::memcpy(view_.data() + at, stamp, 6);
}

void CXFile::SetStartTime(time_t t) {
  head_.startTime = t;
  TimeToStamp(t, head_.startStamp);
  StoreStamp(head_.startStamp, 0);
}

void CXFile::SetEndTime(time_t t) {
  if (recordCount_ != -1)
    t = head_.startTime + static_cast<time_t>(recordCount_ - 1) * head_.interval;
  head_.endTime = t;
  TimeToStamp(t, head_.endStamp);
  StoreStamp(head_.endStamp, 1);
}

bool CXFile::WriteValues(const void* buffer, int count, int index) {
  if (state_ != State::kDownload || count < 0 || index < 0 || layout_ == 3) return false;
  const int64_t n = head_.chnlCount;
  const int64_t vw = head_.valueWidth;
  const int64_t cap = head_.capacity;
  if (vw != 1 && vw != 2) return false;
  int64_t at, bytes;
  if (layout_ == 0) {
    if (index >= n || recordCount_ < 0 || recordCount_ + count > cap) return false;
    at = DataOffset() + vw * (index * cap + recordCount_);
    bytes = count * vw;
  } else {
    if (n == 0 || index > cap || n * vw * index + count > n * vw * cap) return false;
    at = kHeadBlock + n * (kChnlDefSize + vw * index);
    bytes = count;
  }
  return WriteAll(fd_.get(), buffer, static_cast<size_t>(bytes), static_cast<off_t>(at));
}

void CXFile::Advance(int n) {
  recordCount_ += n;
  if (recordCount_ > head_.capacity) recordCount_ = 0;
}

// ---------------------------------------------------------------- live store

bool CXFile::HoldsRecords() const {
  return state_ != State::kEmpty && StampValid(head_.startStamp) &&
         StampValid(head_.endStamp) && recordCount_ >= 1 && recordCount_ <= head_.capacity;
}

bool CXFile::CreateTemp(const std::string& name) {
  Finish(false);
  const std::string path = platform::SettingsPath(name);
  {
    // A recording left there (by a crash, or kept for later) is not ours to drop.
    CXFile there;
    if (there.Open(path) && there.HoldsRecords()) return false;
  }
  const _tagDataHead& h = head_;
  if (h.chnlCount == 0 || h.chnlCount > kMaxChannels || (h.valueWidth != 1 && h.valueWidth != 2) ||
      h.capacity <= 0)
    return false;
  const int64_t size = static_cast<int64_t>(h.chnlCount) * (h.capacity + 160) * h.valueWidth + 256;
  if (size > UINT32_MAX) return false;
  ::unlink(path.c_str());
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (!fd.valid()) return false;
  // Reserve the blocks now: a full disk must fail here, not with SIGBUS at an
  // append. Only a file system that cannot reserve gets a plain (sparse) length.
  const int reserved = ::posix_fallocate(fd.get(), 0, static_cast<off_t>(size));
  const bool sized = reserved == 0 || ((reserved == EOPNOTSUPP || reserved == EINVAL) &&
                                       ::ftruncate(fd.get(), static_cast<off_t>(size)) == 0);
  if (!sized || !view_.map(fd.get(), static_cast<size_t>(size), true)) {
    fd.reset();
    ::unlink(path.c_str());
    return false;
  }
  // The store's name reaches the disk now, so a power cut keeps the file.
  platform::SyncFolderOf(path);
  fd_ = std::move(fd);
  mapSize_ = static_cast<uint32_t>(size);
  tempPath_ = path;
  state_ = State::kLiveStore;
  layout_ = GetLayout();
  PrepareScales();
  return true;
}

bool CXFile::RenameTemp(const std::string& name) {
  if (state_ != State::kLiveStore || tempPath_.empty()) return false;
  const std::string path = platform::SettingsPath(name);
  if (path == tempPath_) return true;
  if (::rename(tempPath_.c_str(), path.c_str()) != 0) return false;
  tempPath_ = path;
  platform::SyncFolderOf(path);
  return true;
}

bool CXFile::FlushStore(int fromSlot) {
  const std::function<bool()> job = StoreFlushJob(fromSlot);
  return job && job();
}

std::function<bool()> CXFile::StoreFlushJob(int fromSlot) const {
  if (state_ != State::kLiveStore || !view_ || layout_ == 3) return {};
  const int64_t page = ::sysconf(_SC_PAGESIZE);
  const int64_t size = static_cast<int64_t>(view_.size());
  // Page-aligned spans of the mapping: the records, then the header.
  struct Span {
    int64_t from, to;
  };
  auto span = [page, size](int64_t from, int64_t to) {
    return Span{from - from % page, std::min<int64_t>(to, size)};
  };
  const int64_t n = head_.chnlCount, vw = head_.valueWidth, cap = head_.capacity;
  const int64_t first = std::clamp<int64_t>(fromSlot, 0, cap);
  const int64_t last = std::clamp<int64_t>(recordCount_, first, cap);
  Span records{0, 0};
  // Record-major files hold the new records in one run; channel-major ones
  // in a run per channel, which one sync of the span covers (only the pages
  // written go out).
  if (last > first) {
    if (layout_ == 0)
      records = span(DataOffset() + vw * first, DataOffset() + vw * ((n - 1) * cap + last));
    else
      records = span(DataOffset() + n * vw * first, DataOffset() + n * vw * last);
  }
  const Span head = span(0, DataOffset());
  uint8_t* const base = view_.data();
  return [base, records, head] {
    auto sync = [base](const Span& s) {
      return s.to <= s.from || ::msync(base + s.from, static_cast<size_t>(s.to - s.from), MS_SYNC) == 0;
    };
    const bool ok = sync(records);
    return sync(head) && ok;
  };
}

bool CXFile::ReopenTemp() {
  const std::string path = platform::SettingsPath("temp.tmp");
  if (!Open(path)) return false;
  if (state_ != State::kViewing || layout_ == 3) {
    Close();
    return false;
  }
  tempPath_ = path;
  mapSize_ = static_cast<uint32_t>(std::min<size_t>(view_.size(), UINT32_MAX));
  state_ = State::kLiveStore;
  return true;
}

bool CXFile::AppendRecord(const void* values, int slot) {
  if (state_ != State::kLiveStore || layout_ == 3 || slot < 0 || slot >= head_.capacity)
    return false;
  const int64_t n = head_.chnlCount;
  const int64_t vw = head_.valueWidth;
  const int64_t cap = head_.capacity;
  if (vw != 1 && vw != 2) return false;
  if (DataOffset() + n * vw * cap > static_cast<int64_t>(view_.size())) return false;
  const uint8_t* src = static_cast<const uint8_t*>(values);
  uint8_t* data = view_.data() + DataOffset();
  if (layout_ == 0) {
    for (int64_t ch = 0; ch < n; ++ch)
      std::memcpy(data + vw * (ch * cap + slot), src + vw * ch, static_cast<size_t>(vw));
  } else {
    std::memcpy(data + vw * n * slot, src, static_cast<size_t>(vw * n));
  }
  recordCount_ = slot + 1;
  return true;
}

int CXFile::GetSlotCount() const {
  const int64_t per = static_cast<int64_t>(head_.chnlCount) * head_.valueWidth;
  if (per <= 0) return 0;
  const int64_t free = static_cast<int64_t>(mapSize_) - 160 * head_.chnlCount - 256;
  return free <= 0 ? 0 : static_cast<int>(free / per);
}

bool CXFile::SaveAs(const std::string& path) {
  if (state_ != State::kLiveStore || !view_ || path.empty() || layout_ == 3) return false;
  layout_ = GetLayout();
  if (!HeadStorable(head_, layout_)) return false;
  const int64_t n = head_.chnlCount;
  const int64_t vw = head_.valueWidth;
  const int32_t oldCap = head_.capacity;
  const int32_t oldLast = head_.lastIndex;
  const int32_t records = std::max<int32_t>(recordCount_, 0);
  if (records > oldCap || DataOffset() + n * vw * oldCap > static_cast<int64_t>(view_.size()))
    return false;

  // The saved header describes a compact file: as many slots as records.
  head_.capacity = records;
  head_.lastIndex = records - 1;
  std::vector<uint8_t> img(static_cast<size_t>(kHeadBlock + kChnlDefSize * n));
  head_.descSize = kChnlDefSize;
  BuildHeadImage(img.data());
  const int64_t end = FileEnd();
  head_.capacity = oldCap;
  head_.lastIndex = oldLast;

  // Written beside the target and renamed over it only when complete, so a
  // failed save (full disk) leaves any earlier file at path intact.
  platform::NewFile out;
  if (!out.Open(path)) return false;
  const int fd = out.Fd();
  bool ok = WriteAll(fd, img.data(), img.size(), 0);
  const uint8_t* data = view_.data() + DataOffset();
  off_t at = static_cast<off_t>(img.size());
  if (layout_ == 0) {
    for (int64_t ch = 0; ok && ch < n; ++ch) {
      ok = WriteAll(fd, data + vw * ch * oldCap, static_cast<size_t>(vw * records), at);
      at += static_cast<off_t>(vw * records);
    }
  } else if (ok) {
    ok = WriteAll(fd, data, static_cast<size_t>(n * vw * records), at);
  }
  ok = ok && ::ftruncate(fd, static_cast<off_t>(end)) == 0;
  if (!ok) out.Fail("cannot write " + path);
  return out.Commit();
}

// ---------------------------------------------------------------- marks

bool CXFile::StoreMarkCount() {
  if (!MappedWritable()) return false;
  const int64_t at = layout_ == 0 ? 0x40 : kPInfo + 0x26;
  if (at >= static_cast<int64_t>(view_.size())) return false;
  view_.data()[at] = head_.markCount;
  return true;
}

bool CXFile::AddMark(time_t t) {
  if (state_ != State::kViewing && state_ != State::kSaved) return false;
  if (!view_ || layout_ == 3 || !fd_.valid()) return false;
  if (t < head_.startTime || t > head_.endTime || head_.markCount >= kMaxMarks) return false;
  uint8_t bytes[4];
  Put32(bytes, static_cast<uint32_t>(static_cast<int32_t>(t)));
  const int64_t at = MarksOffset() + 4 * static_cast<int64_t>(head_.markCount);
  if (!WriteAll(fd_.get(), bytes, 4, static_cast<off_t>(at))) return false;
  state_ = State::kSaved;
  ++head_.markCount;
  StoreMarkCount();
  return MapExisting("");
}

bool CXFile::DeleteMark(int i) {
  if (!MappedWritable() || layout_ == 3 || i < 0 || i >= head_.markCount) return false;
  const int64_t at = MarksOffset();
  if (FileEnd() > static_cast<int64_t>(view_.size())) return false;
  uint8_t* marks = view_.data() + at;
  std::memmove(marks + 4 * i, marks + 4 * (i + 1), static_cast<size_t>(4 * (head_.markCount - i - 1)));
  std::memset(marks + 4 * (head_.markCount - 1), 0, 4);
  --head_.markCount;
  if (state_ == State::kViewing) state_ = State::kSaved;
  return StoreMarkCount();
}

time_t CXFile::GetMark(int i) const {
  if (!view_ || i < 0 || i >= head_.markCount) return 0;
  const int64_t at = MarksOffset() + 4 * static_cast<int64_t>(i);
  if (at + 4 > static_cast<int64_t>(view_.size())) return 0;
  return static_cast<time_t>(static_cast<int32_t>(Get32(view_.data() + at)));
}

// ---------------------------------------------------------------- closing

bool CXFile::Close() { return Finish(true); }

void CXFile::Discard() { Finish(false); }

bool CXFile::Finish(bool commit) {
  Unmap();
  bool ok = true;
  const bool kvModel = head_.model[0] == 'K' || head_.model[1] == 'V';
  if (state_ == State::kDownload) {
    // Complete and on disk before it takes the target's name.
    // The descriptor belongs to the new file, which closes it.
    fd_.release();
    if (commit) {
      if (::ftruncate(download_->Fd(), static_cast<off_t>(FileEnd())) != 0) download_->Fail("cannot write " + path_);
      ok = download_->Commit();
    }
    download_.reset();
  } else if (state_ == State::kSaved && kvModel && layout_ != 3) {
    // Marks were deleted: the file loses the bytes of the dropped marks.
    ok = ::ftruncate(fd_.get(), static_cast<off_t>(FileEnd())) == 0;
    ok = fd_.close() && ok;
  } else {
    fd_.reset();
  }
  if (state_ == State::kLiveStore && !tempPath_.empty()) ::unlink(tempPath_.c_str());
  state_ = State::kEmpty;
  tempPath_.clear();
  path_.clear();
  recordCount_ = -1;
  return ok;
}

// ---------------------------------------------------------------- reads

std::string CXFile::GetTitle() const { return GbkField(head_.title); }
std::string CXFile::GetModel() const { return GbkField(head_.model); }

std::string CXFile::GetChnlName(int ch) const {
  if (ch < 0 || ch >= head_.chnlCount) return std::string();
  return GbkField(head_.channels[ch].name);
}

std::string CXFile::GetChnlUnit(int ch) const {
  if (ch < 0 || ch >= head_.chnlCount) return std::string();
  return GbkField(head_.channels[ch].unit);
}

static float ScaledValue(const _tagScaleNum& num, bool log) {
  return log ? static_cast<float>(Pow10(ScaleNumExponent(num))) : ScaleNumValue(num);
}

float CXFile::GetRangeLow(int ch) const {
  if (ch < 0 || ch >= head_.chnlCount) return 0;
  const _tagChnlDef& d = head_.channels[ch];
  return ScaledValue(d.rangeLow, d.logScale != 0);
}

float CXFile::GetRangeHigh(int ch) const {
  if (ch < 0 || ch >= head_.chnlCount) return 0;
  const _tagChnlDef& d = head_.channels[ch];
  return ScaledValue(d.rangeHigh, d.logScale != 0);
}

float CXFile::GetLimit(int ch, int k) const {
  if (ch < 0 || ch >= head_.chnlCount || k < 1 || k > 5) return 0;
  const _tagChnlDef& d = head_.channels[ch];
  const _tagScaleNum* lim[5] = {&d.limit1, &d.limit2, &d.limit3, &d.limit4, &d.limit5};
  return ScaledValue(*lim[k - 1], d.logScale != 0);
}

uint64_t CXFile::GetChnlDef(int ch) const {
  if (ch < 0 || ch >= head_.chnlCount) return 0;
  const _tagChnlDef& d = head_.channels[ch];
  return static_cast<uint64_t>(d.devWord[0]) | (static_cast<uint64_t>(d.devWord[1]) << 32);
}

int64_t CXFile::SampleOffset(int ch, uint64_t n) const {
  const _tagDataHead& h = head_;
  const uint64_t vw = h.valueWidth;
  const uint64_t cap = static_cast<uint64_t>(h.capacity);
  const uint64_t ring = static_cast<uint64_t>(h.ringStart);
  uint64_t off;
  if (layout_ == 0) {
    uint64_t pos = 0;
    if (ring < cap && n < cap) {
      pos = ring + n;
      if (pos >= cap) pos -= cap;
    }
    off = vw * (static_cast<uint64_t>(ch) * cap + pos);
  } else {
    const uint64_t rec = vw * h.chnlCount;
    const uint64_t area = rec * cap;
    uint64_t pos = 0;
    if (ring < area && n < cap) {
      pos = ring + n * rec;
      if (pos >= area) pos -= area;
    }
    off = pos + vw * static_cast<uint64_t>(ch);
    if (off + vw > area) return -1;  // a ring start inside a record
  }
  const uint64_t dataOff = kHeadBlock + kChnlDefSize * static_cast<uint64_t>(h.chnlCount);
  if (dataOff + off + vw > view_.size()) return -1;
  return static_cast<int64_t>(dataOff + off);
}

inline uint32_t CXFile::CountAt(int64_t at) const {
  const uint8_t* p = view_.data() + at;
  return head_.valueWidth == 1 ? p[0] : static_cast<uint32_t>(p[0] | (p[1] << 8));
}

inline float CXFile::CountValue(int ch, uint32_t q) const {
  const ChnlScale& s = scales_[ch];
  if (s.log) return static_cast<float>(std::pow(10.0, s.low + s.span * q));
  return static_cast<float>(s.low + s.span * q / s.full);
}

uint64_t CXFile::RecordIndex(time_t t) const {
  const uint64_t d = static_cast<uint64_t>(t - head_.startTime);
  return (d >> 32) == 0 ? static_cast<uint32_t>(d) / static_cast<uint32_t>(head_.interval)
                        : d / static_cast<uint64_t>(head_.interval);
}

bool CXFile::GetValue(int ch, time_t t, float* value, float* percent) const {
  const _tagDataHead& h = head_;
  if (static_cast<unsigned>(ch) >= h.chnlCount || !view_ || layout_ == 3) return false;
  if (t < h.startTime || t > h.endTime || h.interval <= 0) return false;
  const int64_t at = SampleOffset(ch, RecordIndex(t));
  if (at < 0) return false;
  const uint32_t q = CountAt(at);
  if (value) *value = CountValue(ch, q);
  if (percent) *percent = static_cast<float>(q * 100.0 / (h.valueWidth == 1 ? 255.0 : 65535.0));
  return true;
}

bool CXFile::GetFormat(int ch, std::string& format) const {
  if (ch < 0 || ch >= head_.chnlCount) return false;
  const _tagChnlDef& d = head_.channels[ch];
  if (d.logScale) {
    format = head_.expFormat == 1 ? "%.1E" : "%.2f";
  } else {
    char buf[16];
    std::snprintf(buf, sizeof(buf), "%%.%df", d.rangeLow.decimals);
    format = buf;
  }
  return true;
}

std::string CXFile::FormatValue(int ch, double value) const {
  if (ch < 0 || ch >= head_.chnlCount) return std::string();
  const _tagChnlDef& d = head_.channels[ch];
  if (!d.logScale) {
    // "%.<decimals>f" without a printf per value: exports format millions.
    // to_chars gives the text printf gives.
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof(buf), value, std::chars_format::fixed, d.rangeLow.decimals);
    if (r.ec == std::errc()) return std::string(buf, r.ptr);
  }
  std::string format;
  if (!GetFormat(ch, format)) return std::string();
  // Measured first: a channel with many decimals is never cut short.
  char buf[64];
  const int n = std::snprintf(buf, sizeof(buf), format.c_str(), value);
  if (n < 0) return std::string();
  if (static_cast<size_t>(n) < sizeof(buf)) return std::string(buf, static_cast<size_t>(n));
  std::string text(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(text.data(), text.size(), format.c_str(), value);
  text.resize(static_cast<size_t>(n));
  return text;
}

bool CXFile::FindValue(_tagFindQuery& query, const std::function<bool()>& keepGoing) const {
  const _tagDataHead& h = head_;
  if (h.interval <= 0) {
    query.time = 0;
    return false;
  }
  const int first = query.channel == 0 ? 0 : query.channel - 1;
  const int last = query.channel == 0 ? h.chnlCount - 1 : query.channel - 1;
  const time_t step = query.direction ? -static_cast<time_t>(h.interval) : h.interval;
  int64_t steps = 0;
  for (time_t t = query.time;; t += step) {
    if (t < h.startTime || t > h.endTime || (keepGoing && ++steps % 4096 == 0 && !keepGoing())) {
      query.time = 0;
      return false;
    }
    // The values GetValue gives, with the record found once per instant.
    if (!view_ || layout_ == 3 || first < 0 || last >= h.chnlCount) continue;
    const uint64_t n = RecordIndex(t);
    for (int ch = first; ch <= last; ++ch) {
      const int64_t at = SampleOffset(ch, n);
      if (at < 0) continue;
      const float v = CountValue(ch, CountAt(at));
      if (!(v - query.tolerance > query.target) && query.target <= v + query.tolerance) {
        query.time = t;
        return true;
      }
    }
  }
}

bool CXFile::GetCumTotal(int ch, time_t t, int64_t* total) const {
  const _tagDataHead& h = head_;
  if (layout_ != 3 || !view_ || ch < 0 || ch >= h.chnlCount) return false;
  if (t < h.startTime || t > h.endTime || h.interval <= 0) return false;
  int64_t s = (static_cast<int64_t>(t) - h.startTime) / h.interval;
  if (s >= h.capacity) s = 0;
  const int64_t at = DataOffset() + 8 * (s * h.chnlCount + ch);
  if (at + 8 > static_cast<int64_t>(view_.size())) return false;
  if (total) *total = Get64(view_.data() + at);
  return true;
}

bool CXFile::GetCumValue(int ch, time_t t, double* value) const {
  int64_t total;
  if (!GetCumTotal(ch, t, &total)) return false;
  if (value) *value = static_cast<double>(total);
  return true;
}
