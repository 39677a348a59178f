// The preparations: a new data file whose header holds the recorder's
// definitions of the chosen span, ready for the samples.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "acquire/download.h"
#include "acquire/headdefaults.h"
#include "acquire/recordermap.h"
#include "link/frames.h"

namespace acquire {

namespace {

// Copies a text of at most n bytes (ending at its first NUL) into a field,
// leaving room for the field's terminating NUL.
template <size_t N>
void CopyText(char (&field)[N], const uint8_t* text, size_t n) {
  std::memset(field, 0, N);
  const size_t len = std::min(strnlen(reinterpret_cast<const char*>(text), n), N - 1);
  std::memcpy(field, text, len);
}

// The limits and ranges of a channel block in one of its layouts.
template <class L>
void FillScaled(const uint8_t* block, _tagChnlDef* def) {
  def->rangeLow = ScaleNumFromBytes(block + L::kRangeLow);
  def->rangeHigh = ScaleNumFromBytes(block + L::kRangeHigh);
  def->limit1 = ScaleNumFromBytes(block + L::kLimit1);
  def->limit2 = ScaleNumFromBytes(block + L::kLimit2);
  def->limit3 = ScaleNumFromBytes(block + L::kLimit3);
  def->limit4 = ScaleNumFromBytes(block + L::kLimit4);
  def->limit5 = ScaleNumFromBytes(block + L::kLimit5);
  CopyText(def->name, block + L::kName, L::kNameSize);
  CopyText(def->unit, block + L::kUnit, L::kUnitSize);
}

// A channel definition with everything the recorder does not say: shown,
// pen width 1, the colour the view defaults gave.
void NewChannel(_tagChnlDef* def) {
  const uint32_t colour = def->colour;
  *def = _tagChnlDef{};
  def->colour = colour;
  def->shown = 1;
  def->penWidth = 1;
}

// A fresh header for a download.
void ResetHead(_tagDataHead* head) {
  *head = _tagDataHead{};
  head->expFormat = 1;
  head->valueWidth = 2;
  head->ringStart = 0;
}

}  // namespace

PrepareStatus DownloadSession::Prepare(const std::string& path, time_t start, time_t end,
                                       const _tagViewDef& view, const ProgressFn& progress) {
  if (fileOpen_) Discard();
  ResetHead(&file_.Head());
  if (!file_.Create(path)) return PrepareStatus::CreateFailed;
  path_ = path;
  fileOpen_ = true;
  start_ = start;
  end_ = end;

  PrepareStatus status = !IsConnected() ? PrepareStatus::ReadFailed
                         : span_.family == Family::Register
                             ? PrepareRegister(start, end, view, progress)
                             : PrepareBlock(start, end, view, progress);
  if (status == PrepareStatus::Ok && !file_.WriteHead()) status = PrepareStatus::WriteFailed;
  if (status != PrepareStatus::Ok) {
    Discard();
    if (status == PrepareStatus::ReadFailed) CloseLink();
  }
  return status;
}

PrepareStatus DownloadSession::PrepareRegister(time_t start, time_t end, const _tagViewDef& view,
                                               const ProgressFn& progress) {
  const map::RegisterRow& row = map::kRegisterRows[span_.modelRow];
  _tagDataHead& head = file_.Head();
  const int iv = span_.interval;

  uint8_t count = 0;
  if (!link_.ReadRegistersAscii(row.chnlCount, 1, &count)) return PrepareStatus::ReadFailed;
  // A recording holds 1 to 64 channels.
  if (count == 0 || count > kMaxChannels) return PrepareStatus::ReadFailed;

  head.lastIndex = static_cast<int32_t>((end - start) / iv);
  head.capacity = head.lastIndex + 1;
  head.interval = iv;
  file_.SetStartTime(start);
  file_.SetEndTime(end);

  uint8_t title[map::kTitleSize] = {};
  if (!link_.ReadRegistersAscii(row.title, sizeof title, title)) return PrepareStatus::ReadFailed;
  CopyText(head.title, title, sizeof title);

  // The ring slot of the span's last record.
  const int64_t back = (span_.newest - end) / iv;
  endRingIndex_ = static_cast<uint32_t>(
      ((static_cast<int64_t>(span_.newestIndex) - back) % kRingSize + kRingSize) % kRingSize);

  ApplyViewDefaults(view, &head);
  if (progress) progress(0, count);
  for (int i = 0; i < count; ++i) {
    if (StopRequested()) return PrepareStatus::Stopped;
    if (progress) progress(i, count);
    uint8_t block[map::kChannelBlockSize];
    if (!link_.ReadRegistersAscii(static_cast<uint16_t>(row.channels + map::kChannelBlockSize * i),
                                  sizeof block, block))
      return PrepareStatus::ReadFailed;
    _tagChnlDef& def = head.channels[i];
    NewChannel(&def);
    FillScaled<map::RegisterBlock>(block, &def);
    def.logScale = block[map::RegisterBlock::kLogScale];
  }

  uint8_t words[kMaxChannels * 4];
  if (!link_.ReadRegisters(map::kRegisterDevWords, static_cast<uint16_t>(count * 4), words))
    return PrepareStatus::ReadFailed;
  reclink::SwapRegisters(words, count * 4u);
  for (int j = 0; j < count; ++j) head.channels[j].devWord[0] = reclink::Le32(words + 4 * j);

  std::memset(head.model, 0, sizeof head.model);
  std::memcpy(head.model, span_.model.data(), std::min(span_.model.size(), sizeof head.model));
  head.station = static_cast<uint8_t>(link_.Param().Address & 0xFF);
  head.chnlCount = count;
  chnlCount_ = count;
  return PrepareStatus::Ok;
}

PrepareStatus DownloadSession::PrepareBlock(time_t start, time_t end, const _tagViewDef& view,
                                            const ProgressFn& progress) {
  _tagDataHead& head = file_.Head();

  uint8_t identity[RecorderLink::kIdentitySize] = {};
  uint8_t title[map::kTitleSize] = {};
  uint8_t count = 0, index = 0, station = 0;
  if (!link_.ReadIdentity(identity) || !link_.ReadBytes(map::kBlockTitle, sizeof title, title) ||
      !link_.ReadBytes(map::kBlockChnlCount, 1, &count) ||
      !link_.ReadBytes(map::kBlockInterval, 1, &index) ||
      !link_.ReadBytes(map::kBlockStation, 1, &station))
    return PrepareStatus::ReadFailed;
  const int iv = IntervalSeconds(index);
  // The file must come out as the record-major family its samples are
  // stored in; the request size 120 / channels needs 1 to 120 channels, and a
  // recording holds at most 64.
  if (iv < 0 || identity[0] != 'K' || identity[1] != 'V' || identity[2] != 'P' || count == 0 ||
      count > kMaxChannels)
    return PrepareStatus::ReadFailed;
  const char version = static_cast<char>(identity[6]);
  if (version != '1' && version != '2') return PrepareStatus::ReadFailed;
  const bool shortBlocks = identity[4] == 'L';

  std::memcpy(head.model, identity, sizeof identity);
  CopyText(head.title, title, sizeof title);
  head.interval = iv;
  head.station = station;
  head.chnlCount = count;
  chnlCount_ = count;

  ApplyViewDefaults(view, &head);
  if (progress) progress(0, count);
  const uint16_t base = shortBlocks ? map::kBlockChannelsShort : map::kBlockChannels;
  for (int i = 0; i < count; ++i) {
    if (StopRequested()) return PrepareStatus::Stopped;
    if (progress) progress(i, count);
    uint8_t block[map::kChannelBlockSize];
    if (!link_.ReadBytes(static_cast<uint16_t>(base + map::kChannelBlockSize * i), sizeof block,
                         block))
      return PrepareStatus::ReadFailed;
    _tagChnlDef& def = head.channels[i];
    NewChannel(&def);
    if (shortBlocks) {
      FillScaled<map::ShortBlock>(block, &def);
      def.logScale = 0;
    } else {
      FillScaled<map::LongBlock>(block, &def);
      def.logScale = block[map::LongBlock::kLogScale];
      if (def.logScale) {
        // A logarithmic range keeps its exponents apart.
        def.rangeLow.decimals = block[map::LongBlock::kExpLow];
        def.rangeHigh.decimals = block[map::LongBlock::kExpHigh];
      }
    }
  }

  uint8_t words[kMaxChannels * 8];
  if (!link_.ReadRegisters(map::kBlockDevWords, static_cast<uint16_t>(count * 8), words))
    return PrepareStatus::ReadFailed;
  reclink::SwapRegisters(words, count * 8u);
  for (int j = 0; j < count; ++j) {
    if (version == '2') {
      head.channels[j].devWord[0] = reclink::Le32(words + 8 * j);
      head.channels[j].devWord[1] = reclink::Le32(words + 8 * j + 4);
    } else {
      head.channels[j].devWord[0] = reclink::Le32(words + 4 * j);
    }
  }

  const int64_t records = (end - start) / iv + 1;
  head.capacity = static_cast<int32_t>(records);
  head.lastIndex = static_cast<int32_t>(records - 1);
  file_.SetStartTime(start);
  file_.SetEndTime(end);
  return PrepareStatus::Ok;
}

void DownloadSession::Discard() {
  // Only the download's own temporary file goes; a file the user already had
  // at the path stays.
  file_.Discard();
  fileOpen_ = false;
}

}  // namespace acquire
