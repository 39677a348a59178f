#pragma once
// What the commands that talk to a recorder share: the serial settings from
// "XCom.ini" with the options that override them, and the link described
// for messages.
#include <string>

#include "command.h"
#include "link/comparam.h"

namespace rectool {

// The settings of "XCom.ini", then --port, --baud, --address and (for the
// commands that record) --interval of opt. 0, or the exit code of a usage
// error already reported for command.
int SerialSettings(const Options& opt, const char* command, _tagComParam* param);

// Whether to use the fast exchange: --fast, or the "FastExchange" key of
// "XCom.ini".
bool FastExchange(const Options& opt);
// Says once, on standard error, that the recorder did not keep up with the
// fast exchange and the link went back to the settle time.
void NoteFallback();

// "PORT (BAUD baud, station N)".
std::string Where(const _tagComParam& p);

}  // namespace rectool
