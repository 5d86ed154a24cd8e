// Option parsing and output of the create and list commands.
#include "cli.h"

#include "names.h"
#include "pack.h"
#include "package-list.h"

#include <quil-version.h>

#include <cstdio>

namespace quilpack {

namespace {

const char kUsage[] = "Usage: quilpack create --stub STUB --output OUT [--arch ARCH] FILE [[--arch ARCH] FILE]...\n"
                      "       quilpack list SETUP\n"
                      "       quilpack --help | --version\n";

void printHelp(std::ostream &out) {
    char szLimit[64];
    std::snprintf(szLimit, sizeof(szLimit), "%u MiB (%#x bytes)", unsigned(kMaxImageSize >> 20),
                  unsigned(kMaxImageSize));
    out << kUsage
        << "\n"
           "Writes packages into a built installer stub, giving one setup program.\n"
           "\n"
           "create   Writes OUT: the stub STUB carrying each FILE as a package, numbered in\n"
           "         command-line order from 0 (payload BIN_00, header HDR_00, ...). The\n"
           "         package's file name is FILE's base name. OUT is written beside its final\n"
           "         name and renamed into place when complete: a failed or interrupted run\n"
           "         leaves no OUT. A signature on STUB is removed; sign OUT after packing.\n"
           "  --stub STUB     the stub program (a PE32 i386 GUI image without packages)\n"
           "  --output OUT    the setup program to write (replaced if it exists)\n"
           "  --arch ARCH     the host the next FILE is for: all (default), x86 (32-bit\n"
           "                  Windows), amd64 (64-bit Windows) or a number 0-255 (values\n"
           "                  above 2 fit no host: written only when extracting)\n"
           "list     Prints the package count of SETUP (\"count<TAB>N\"), then one line per\n"
           "         package: index, architecture, payload name, file name and size in\n"
           "         bytes, separated by tabs.\n"
           "\n"
           "Refused: more than 255 packages; an empty FILE; file names the stub refuses\n"
           "(\".\", \"..\", holding \\ / : < > \" | ? * or a control character, ending in \".\" or\n"
           "\" \", device names such as NUL or COM1 with or without a suffix, more than 259\n"
           "bytes, not ASCII); two file names equal without regard to case; an x86 or\n"
           "amd64 package that is not a .msi or a .cab; an image larger than "
        << szLimit
        << ",\n"
           "the address space a 32-bit setup program can map with room to run.\n"
           "\n"
           "Exit codes: 0 success, 1 failure or refusal, 2 command-line error.\n";
}

int usageError(std::ostream &err, const std::string &problem) {
    err << "quilpack: " << problem << "\n" << kUsage << "Try 'quilpack --help' for more.\n";
    return kExitUsage;
}

int failure(std::ostream &err, const std::string &message) {
    err << "quilpack: error: " << message << "\n";
    return kExitFailure;
}

// A name from a file quilpack did not necessarily write, printable on one line.
std::string printable(const std::string &text) {
    std::string out;
    for (unsigned char ch : text) {
        if (ch >= 0x20 && ch < 0x7f && ch != '\\')
            out += char(ch);
        else {
            char sz[8];
            std::snprintf(sz, sizeof(sz), "\\x%02x", ch);
            out += sz;
        }
    }
    return out;
}

// "--name VALUE" or "--name=VALUE": true when ARGS[*PI] is that option, with the value taken.
bool optionValue(const std::vector<std::string> &args, size_t *pi, const char *pszName, std::string *pValue,
                 bool *pfMissing) {
    const std::string &arg = args[*pi];
    std::string const name = pszName;
    if (arg == name) {
        if (*pi + 1 >= args.size()) {
            *pfMissing = true;
            return true;
        }
        *pValue = args[++*pi];
        return true;
    }
    if (arg.compare(0, name.size() + 1, name + "=") == 0) {
        *pValue = arg.substr(name.size() + 1);
        return true;
    }
    return false;
}

int runCreate(const std::vector<std::string> &args, std::ostream &out, std::ostream &err, int *pSignal) {
    PackRequest request;
    bool fStub = false, fOutput = false, fArchPending = false, fOptionsDone = false;
    uint8_t arch = 0;
    std::string archText;
    for (size_t i = 1; i < args.size(); i++) {
        const std::string &arg = args[i];
        std::string value;
        bool fMissing = false;
        if (!fOptionsDone && arg == "--") {
            fOptionsDone = true;
        } else if (!fOptionsDone && optionValue(args, &i, "--stub", &value, &fMissing)) {
            if (fMissing) return usageError(err, "option '--stub' needs a value");
            if (fStub) return usageError(err, "option '--stub' given twice");
            request.stubPath = value;
            fStub = true;
        } else if (!fOptionsDone && optionValue(args, &i, "--output", &value, &fMissing)) {
            if (fMissing) return usageError(err, "option '--output' needs a value");
            if (fOutput) return usageError(err, "option '--output' given twice");
            request.outputPath = value;
            fOutput = true;
        } else if (!fOptionsDone && optionValue(args, &i, "--arch", &value, &fMissing)) {
            if (fMissing) return usageError(err, "option '--arch' needs a value");
            if (!parseArch(value, &arch))
                return usageError(err, "unknown architecture '" + value + "' (all, x86, amd64 or 0-255)");
            fArchPending = true;
            archText = value;
        } else if (!fOptionsDone && arg.size() > 1 && arg[0] == '-') {
            return usageError(err, "unknown option '" + arg + "'");
        } else {
            PackInput input;
            input.path = arg;
            input.architecture = fArchPending ? arch : uint8_t(0);
            request.inputs.push_back(input);
            fArchPending = false;
        }
    }
    if (fArchPending) return usageError(err, "'--arch " + archText + "' is not followed by a FILE");
    if (!fStub) return usageError(err, "missing '--stub STUB'");
    if (!fOutput) return usageError(err, "missing '--output OUT'");
    if (request.inputs.empty()) return usageError(err, "no FILE to pack");

    PackError error;
    auto const warn = [&err](const std::string &text) { err << "quilpack: warning: " << text << "\n"; };
    if (!packCreate(request, warn, &error)) {
        *pSignal = error.signal;
        return failure(err, error.message);
    }
    out << request.outputPath << ": " << request.inputs.size()
        << (request.inputs.size() == 1 ? " package\n" : " packages\n");
    return kExitSuccess;
}

int runList(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    if (args.size() < 2) return usageError(err, "no SETUP to list");
    if (args.size() > 2) return usageError(err, "list takes one SETUP, not " + std::to_string(args.size() - 1));
    const std::string &path = args[1];
    InputFile file;
    std::string problem;
    PackageListing listing;
    if (!file.open(path, &problem) || !listPackages(file, &listing, &problem))
        return failure(err, path + ": " + problem);
    if (!listing.fMagicOk)
        err << "quilpack: warning: " << path << ": manifest magic or version is not what quilpack writes\n";
    out << "count\t" << unsigned(listing.manifest.packageCount) << "\n";
    for (const ListedPackage &pkg : listing.packages)
        out << pkg.index << "\t" << archName(pkg.header.architecture) << "\t" << printable(pkg.header.resourceName)
            << "\t" << printable(pkg.header.fileName) << "\t" << pkg.payloadSize << "\n";
    return kExitSuccess;
}

} // namespace

int cliMain(const std::vector<std::string> &args, std::ostream &out, std::ostream &err, int *pSignal) {
    *pSignal = 0;
    for (const std::string &arg : args) {
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h") {
            printHelp(out);
            return kExitSuccess;
        }
        if (arg == "--version") {
            out << "quilpack " << QUIL_VERSION_MAJOR << "." << QUIL_VERSION_MINOR << "." << QUIL_VERSION_BUILD << "r"
                << QUIL_VERSION_REVISION << "\n";
            return kExitSuccess;
        }
    }
    if (args.empty()) return usageError(err, "no command");
    if (args[0] == "create") return runCreate(args, out, err, pSignal);
    if (args[0] == "list") return runList(args, out, err);
    if (args[0].size() > 1 && args[0][0] == '-') return usageError(err, "unknown option '" + args[0] + "'");
    return usageError(err, "unknown command '" + args[0] + "'");
}

} // namespace quilpack
