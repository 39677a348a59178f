#pragma once
// The device object of a driver plug-in: everything model-specific that live
// recording asks of a recorder (title, channel count, channel definitions,
// current values, device words), read over the link the program hands in.
//
// A plug-in is the shared library "IO_Device/<name>/<name>.so" below the
// program directory (see acquire/driverloader.h). It exports GetDevice (C
// linkage) and its companion GetDeviceInterface (drivers/driverabi.h), by
// which the loader checks that the plug-in was built for this program.
// GetDevice stores the address of the plug-in's single static device object
// in *device and returns device. The object lives as
// long as the library is loaded; the caller never creates or deletes it.
//
// The operations are virtual and their order is fixed: the program and the
// plug-ins are built separately and meet only through this table.
//
// Results: 1 for success, 0 for failure, unless stated. Every operation that
// copies a text writes a NUL-terminated text of at most 31 bytes into a buffer
// of at least 32 bytes; texts are the recorder's bytes (GBK) as they arrive.
// Scaled numbers (ranges, limits) are the recorder's 3 bytes: a signed 16-bit
// integer little-endian and the decimals byte (see _tagScaleNum). Output
// buffers are written only on success.
//
// The object has no lock: one thread at a time uses it.
#include <cstdint>

class RecorderLink;

class DeviceDriver {
 public:
  // Text buffers handed to the operations hold at least this many bytes.
  static constexpr int kTextSize = 32;

  // Record slots per channel of a recording from this recorder (262144). No traffic.
  virtual int32_t GetCapacity() = 0;
  // Copies "ZP6000's Driver".
  virtual int GetDescription(char* out) = 0;
  // Copies "R6GV1".
  virtual int GetTypeName(char* out) = 0;
  // Bytes per raw count in recordings of this recorder (2). No traffic.
  virtual uint8_t GetValueWidth() = 0;
  // The current values of channels 0 .. count-1 as float32, channel 0 first.
  virtual int ReadValues(int count, float* out) = 0;
  // Keeps the link for all reading operations (null: none) and forgets the
  // channel block and device words read over an earlier link. No traffic.
  // Returns the device object.
  virtual DeviceDriver* SetLink(RecorderLink* link) = 0;
  // The recorder title (17 bytes of recorder memory).
  virtual int ReadTitle(char* out) = 0;
  // Always fails; reads nothing.
  virtual int ReadReserved(void* out) = 0;
  // The recorder's channel count (0-255), kept for ReadDevWord; 0 on failure.
  virtual uint16_t ReadChnlCount() = 0;
  // Channel ch (from 0): unit text, name text, and the 3-byte scaled numbers.
  // The ten operations of one channel cost one exchange together.
  virtual int ReadChnlUnit(int ch, char* out) = 0;
  virtual int ReadChnlName(int ch, char* out) = 0;
  virtual int ReadLimit5(int ch, uint8_t* out3) = 0;
  virtual int ReadLimit2(int ch, uint8_t* out3) = 0;
  virtual int ReadLimit4(int ch, uint8_t* out3) = 0;
  virtual int ReadLimit1(int ch, uint8_t* out3) = 0;
  virtual int ReadLimit3(int ch, uint8_t* out3) = 0;
  virtual int ReadRangeHigh(int ch, uint8_t* out3) = 0;
  virtual int ReadRangeLow(int ch, uint8_t* out3) = 0;
  // One byte: non-zero for a logarithmic channel.
  virtual int ReadLogScale(int ch, uint8_t* out) = 0;
  // The device word of channel ch: 4 bytes (8 for models with wide words,
  // two little-endian 32-bit words, the low-order word first). ch 0 reads the
  // words of all channels (the last channel count read, 12 before any) and
  // keeps them; the other channels are delivered from what was kept (zeros
  // before the first read). Channels 0-63 are held.
  virtual int ReadDevWord(int ch, uint8_t* out) = 0;
  // Shows text in a message box with the caption "Caption" and an OK button;
  // returns the button pressed (1 = OK). See RecviewMessageBox below.
  virtual int ShowMessage(const char* text) = 0;
  // Forgets the link.
  virtual ~DeviceDriver() = default;
};

// The export of every plug-in.
extern "C" {
typedef DeviceDriver** (*GetDeviceFunc)(DeviceDriver** device);
}
inline constexpr const char* kGetDeviceSymbol = "GetDevice";

// The program's message box, for ShowMessage. A program with windows exports
// a function of this type under the name kMessageBoxSymbol (C linkage, in its
// dynamic symbol table: CMake ENABLE_EXPORTS); it shows text with the caption
// and an OK button, modal and without owner window, and returns 1 (OK). In a
// program without it (a command-line tool) a plug-in writes "caption: text"
// to standard error and returns 1.
extern "C" {
typedef int (*RecviewMessageBoxFunc)(const char* text, const char* caption);
}
inline constexpr const char* kMessageBoxSymbol = "RecviewMessageBox";
