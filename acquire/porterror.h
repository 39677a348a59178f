#pragma once
// The sentence for a serial port that cannot be opened, in the language of the
// program: names the device and says what to do.
#include <QString>

class SerialPort;

QString PortErrorText(const SerialPort& port);
