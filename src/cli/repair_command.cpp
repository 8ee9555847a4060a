// kestrel-cli repair: a recording that an impact cut short made into a movie
// that plays.
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "catalogue/recording_repair.h"
#include "cli/command_output.h"

namespace {

constexpr const char* kHelp =
    "Makes a recording that an impact cut short (it ends inside its media, without\n"
    "its index and sensor track) into a movie that plays, from the pictures and\n"
    "sound frames its media hold whole.\n"
    "  -o OUT                 where to write it (default: beside FILE, as\n"
    "                         NAME_repaired.MOV); FILE itself is only read\n"
    "  --reference GOOD.MOV   a healthy recording of the same recorder to take the\n"
    "                         sample descriptions and chunk order from (default: the\n"
    "                         nearest in FILE's folder with the same picture size\n"
    "                         and codec)\n";

std::string_view RepairFailureText(RepairError error) {
  switch (error) {
    case RepairError::kNotCutShort:
      return "the file is not a recording cut short inside its media";
    case RepairError::kNoReference:
      return "no reference recording was found; give one with --reference GOOD.MOV";
    case RepairError::kReferenceMismatch:
      return "the reference does not fit the damaged recording";
    case RepairError::kNothingToRecover:
      return "nothing to recover";
    case RepairError::kCancelled:
      return "the repair was cancelled";
    default:
      return "the repair failed";
  }
}

}  // namespace

int RunRepair(std::span<char* const> args) {
  const std::string usage = "repair FILE [-o OUT] [--reference GOOD.MOV]";
  std::filesystem::path damaged;
  std::filesystem::path output;
  RepairOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::printf("usage: kestrel-cli %s\n%s", usage.c_str(), kHelp);
      return 0;
    }
    const bool hasValue = i + 1 < args.size();
    if ((arg == "-o" || arg == "--reference") && hasValue) {
      (arg == "-o" ? output : options.reference) = args[++i];
    } else if (arg.starts_with("-") || !damaged.empty()) {
      return Usage(usage);
    } else {
      damaged = arg;
    }
  }
  if (damaged.empty()) {
    return Usage(usage);
  }
  const std::filesystem::path target = output.empty() ? RepairedPath(damaged) : output;
  const RepairResult result = Repair(damaged, target, options);
  if (result.error != RepairError::kNone) {
    return Failure(RepairFailureText(result.error), result.why);
  }
  std::printf("%s\n", target.c_str());
  std::fprintf(stderr, "kestrel-cli: %u pictures and %u sound frames recovered (reference %s)%s\n",
               result.pictures, result.soundFrames, result.reference.c_str(),
               result.outranReference
                   ? "; the damaged media goes on past the reference's length: give a longer "
                     "reference to recover the rest"
                   : "");
  return 0;
}
