#include "tools/vkar/VkarOptions.h"

#include <cstdint>

#include "archive/ArchiveFormat.h"
#include "archive/ArchiveWriter.h"
#include "archive/StringList.h"
#include "codecs/Coders.h"

namespace {

// Methods vkar can code with: those with a coder, except the application's
// own method 3, which has no coder of this program.
bool CanCode(size_t method)
{
    return method != MethodCustom && method < CompressIDs.size() && StandardCoders().Compress[method] != nullptr;
}

// The writer's choice between LH5 and LZH; offered when both coders exist.
constexpr const char* BestName = "best";

bool CanChoose()
{
    return CanCode(MethodLH5) && CanCode(MethodLZH);
}

std::string MethodChoices()
{
    std::string names;
    for (size_t i = 0; i < CompressIDs.size(); ++i)
        if (CanCode(i)) {
            if (!names.empty())
                names += ", ";
            names += CompressIDs[i];
        }
    if (CanChoose())
        names += std::string(", ") + BestName;
    return names;
}

struct TOptionRule {
    bool Method, Key, BaseDir, Absolute, KeepOld, Jobs;
    size_t MinOperands, MaxOperands; // ARCHIVE included
};

TOptionRule RuleOf(TVkarCommand command)
{
    switch (command) {
    case TVkarCommand::vcCreate: return {true, true, true, false, false, true, 2, SIZE_MAX};
    case TVkarCommand::vcList: return {false, false, false, false, false, false, 1, 1};
    case TVkarCommand::vcTest: return {false, true, false, false, false, true, 1, 1};
    case TVkarCommand::vcExtract: return {false, true, true, true, true, true, 1, SIZE_MAX};
    default: return {false, true, false, false, false, false, 2, 2};
    }
}

TVkarCommand CommandOf(const std::string& word)
{
    if (word == "c")
        return TVkarCommand::vcCreate;
    if (word == "l")
        return TVkarCommand::vcList;
    if (word == "t")
        return TVkarCommand::vcTest;
    if (word == "x")
        return TVkarCommand::vcExtract;
    if (word == "p")
        return TVkarCommand::vcPrint;
    throw EVkarUsage("unknown command '" + word + "'");
}

bool ParseUnsigned(const std::string& digits, int base, uint64_t& value)
{
    if (digits.empty())
        return false;
    value = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        if (value > 0xFFFFFFFFull)
            return false;
    }
    return true;
}

} // namespace

int32_t ParseVkarKey(const std::string& text)
{
    std::string digits = text;
    const bool negative = !digits.empty() && digits[0] == '-';
    if (negative)
        digits.erase(0, 1);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.erase(0, 2);
    }
    uint64_t value = 0;
    // Negative keys reach down to -2^31; positive ones up to 2^32 - 1, so
    // that a key can be written either as signed or as unsigned.
    if (!ParseUnsigned(digits, base, value) || (negative && value > 0x80000000ull))
        throw EVkarUsage("bad key '" + text + "' (a 32-bit integer, decimal or 0x hex)");
    const uint32_t bits = negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(value)) : static_cast<uint32_t>(value);
    return static_cast<int32_t>(bits);
}

uint8_t ParseVkarMethod(const std::string& text)
{
    for (size_t i = 0; i < CompressIDs.size(); ++i)
        if (CanCode(i) && SameText(text, CompressIDs[i]))
            return static_cast<uint8_t>(i);
    if (CanChoose() && SameText(text, BestName))
        return MethodBest;
    throw EVkarUsage("unknown method '" + text + "' (one of " + MethodChoices() + ")");
}

unsigned ParseVkarJobs(const std::string& text)
{
    uint64_t value = 0;
    if (!ParseUnsigned(text, 10, value) || value < 1 || value > VkarMaxJobs)
        throw EVkarUsage("bad number of jobs '" + text + "' (1 to " + std::to_string(VkarMaxJobs) + ")");
    return static_cast<unsigned>(value);
}

TVkarOptions ParseVkarOptions(const std::vector<std::string>& args)
{
    TVkarOptions options;
    // --help and --version win wherever they stand before "--".
    for (const std::string& arg : args) {
        if (arg == "--")
            break;
        if (arg == "--help" || arg == "-h") {
            options.Command = TVkarCommand::vcHelp;
            return options;
        }
    }
    for (const std::string& arg : args) {
        if (arg == "--")
            break;
        if (arg == "--version") {
            options.Command = TVkarCommand::vcVersion;
            return options;
        }
    }
    if (args.empty())
        throw EVkarUsage("missing command");
    options.Command = CommandOf(args[0]);
    const TOptionRule rule = RuleOf(options.Command);

    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // An option with a value takes it attached ("-mRLE") or as the next
        // argument ("-m RLE", "-K -5").
        auto valueOf = [&](const char* option) {
            if (arg.size() > 2)
                return arg.substr(2);
            if (i + 1 >= args.size())
                throw EVkarUsage(std::string("option ") + option + " needs a value");
            return args[++i];
        };
        const std::string name = arg == "--absolute" || arg == "--keep-old-files" ? arg : arg.substr(0, 2);
        const bool applies = name == "-m"                                       ? rule.Method
                             : name == "-K"                                     ? rule.Key
                             : name == "-j"                                     ? rule.Jobs
                             : name == "-C"                                     ? rule.BaseDir
                             : name == "--absolute"                             ? rule.Absolute
                             : name == "-k" || name == "--keep-old-files"       ? rule.KeepOld
                                                                                : true;
        if (!applies)
            throw EVkarUsage("option " + name + " does not apply to command '" + args[0] + "'");
        if (name == "-m") {
            options.Method = ParseVkarMethod(valueOf("-m"));
        } else if (name == "-K") {
            options.Key = ParseVkarKey(valueOf("-K"));
        } else if (name == "-j") {
            options.Jobs = ParseVkarJobs(valueOf("-j"));
        } else if (arg == "-k" || arg == "--keep-old-files") {
            options.KeepOld = true;
        } else if (name == "-C") {
            options.BaseDir = valueOf("-C");
            if (options.BaseDir.empty())
                throw EVkarUsage("option -C needs a directory");
        } else if (name == "--absolute") {
            options.Absolute = true;
        } else if (arg == "-q") {
            options.Quiet = true;
        } else if (arg == "-v") {
            options.Verbose = true;
        } else {
            throw EVkarUsage("unknown option '" + arg + "'");
        }
    }
    if (options.Quiet && options.Verbose)
        throw EVkarUsage("options -q and -v exclude each other");
    if (operands.empty())
        throw EVkarUsage("missing archive name");
    if (operands.size() < rule.MinOperands)
        throw EVkarUsage(options.Command == TVkarCommand::vcCreate ? "missing files to add" : "missing entry name");
    if (operands.size() > rule.MaxOperands)
        throw EVkarUsage("too many arguments");
    options.Archive = operands[0];
    options.Operands.assign(operands.begin() + 1, operands.end());
    return options;
}

std::string VkarUsageText()
{
    const std::string methods = MethodChoices();
    return "Usage: vkar COMMAND [OPTIONS] ARCHIVE [ARGUMENTS]\n"
           "\n"
           "Commands:\n"
           "  c [-m METHOD] [-K KEY] [-C DIR] [-j N] ARCHIVE PATH...\n"
           "        create ARCHIVE from files and directories (added recursively)\n"
           "  l ARCHIVE\n"
           "        list the entries: sizes, ratio, method, date, attributes, lock\n"
           "  t [-K KEY] [-j N] ARCHIVE\n"
           "        walk the archive as x does, writing no file: passes when x into an\n"
           "        empty directory would\n"
           "  x [-K KEY] [-C DIR] [-k] [--absolute] [-j N] ARCHIVE [NAME...]\n"
           "        expand every entry, or the named ones (case is ignored)\n"
           "  p [-K KEY] ARCHIVE NAME\n"
           "        write one entry's expanded bytes to standard output, checked first\n"
           "        (the last entry of that name, the one x leaves)\n"
           "\n"
           "ARCHIVE \"-\" is standard output (c) or standard input (l, t, x, p).\n"
           "\n"
           "Options:\n"
           "  -m METHOD    compression method: " + methods + " (default LZH);\n"
           "               best keeps the smaller of LH5 and LZH for each file\n"
           "  -K KEY       32-bit key, decimal or 0x hex, may be negative: locks the\n"
           "               new entries (c) or unlocks locked ones (t, x, p)\n"
           "  -C DIR       names are relative to DIR (c); expand below DIR (x)\n"
           "  -j N         code (c) or expand (t, x) N entries at once, 1 to " + std::to_string(VkarMaxJobs) + ";\n"
           "               default one per processor; the results are the same for every N\n"
           "  -k, --keep-old-files\n"
           "               keep existing files instead of replacing them (x)\n"
           "  --absolute   allow entries whose names begin with \"\\\" (x)\n"
           "  -q           quiet: no per-entry lines\n"
           "  -v           verbose: more detail\n"
           "  --help       show this text\n"
           "  --version    show the version\n"
           "\n"
           "Exit status: 0 success, 1 damaged archive, failed entry or skipped item,\n"
           "2 usage error.\n";
}
