// rectool recover --out FILE [--discard]
// Saves the records of a live recording that was interrupted (the program was
// killed or the machine lost power) from the temporary store into a data
// file, or with --discard deletes them.
#include <cstdio>
#include <string>

#include "acquire/live.h"
#include "command.h"
#include "data/records.h"

namespace rectool {
namespace {

constexpr char kName[] = "recover";
constexpr int kNothingToRecover = 3;

int Run(const std::vector<std::string>& args) {
  Options opt;
  std::string error;
  if (!opt.Parse(args, {"out"}, {"discard"}, &error)) return Usage(kName, error);
  if (!opt.positional.empty()) return Usage(kName, "unexpected argument " + opt.positional[0]);
  const bool discard = opt.Has("discard");
  if (discard == opt.Has("out"))
    return Usage(kName, "give the file to write with --out, or --discard");
  if (!discard && opt.Value("out").empty()) return Usage(kName, "--out needs a file name");

  acquire::Interrupted found;
  if (!acquire::FindInterrupted(&found)) {
    // A status of its own: "recover --out F && use F" must not go on.
    std::fprintf(stderr, "rectool: there is no interrupted recording to recover (%s); nothing was written\n",
                 acquire::TempStorePath().c_str());
    return kNothingToRecover;
  }
  std::fprintf(stderr, "interrupted recording \"%s\": %d records of %d channels, %s => %s\n",
               found.title.c_str(), found.records, found.chnlCount,
               FormatTime(found.start).c_str(), FormatTime(found.end).c_str());
  if (discard) {
    if (!acquire::DiscardInterrupted()) return Fail("cannot delete " + acquire::TempStorePath());
    std::fprintf(stderr, "deleted\n");
    return 0;
  }
  const std::string out = opt.Value("out");
  if (!acquire::RecoverInterrupted(out, &error))
    return Fail(error + "; the recording stays in " + acquire::TempStorePath());
  std::printf("%s\n", out.c_str());
  return 0;
}

Registrar reg({kName, "--out FILE | --discard",
               "save (or delete) a live recording that was interrupted", &Run,
               "  --out FILE   save the interrupted recording as the data file FILE\n"
               "  --discard    delete the interrupted recording\n"
               "Exit status: 0 saved (or deleted), 1 failed, 2 usage error,\n"
               "3 no interrupted recording was found (nothing was written).\n"});

}  // namespace
}  // namespace rectool
