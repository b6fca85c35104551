#include "payload_source.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <istream>
#include <iterator>
#include <ostream>

#include "bytes.h"

namespace mirelo_send {
namespace {

constexpr std::string_view kPayloadHelp =
    "Payload (exactly one; bytes are sent as given, no conversion of the text encoding):\n"
    "  --text T          the bytes of T\n"
    "  --file F          the bytes of file F\n"
    "  --stdin           everything on standard input\n"
    "  --hex H           hex digits, pairs may be separated by blanks, ':' or '-' (e.g. \"40 55 00\")\n";

// Reads a whole file; false with errno set when it cannot (a folder opens but fails on reading).
bool ReadFile(const std::string& path, std::string* bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    char buffer[65536];
    std::size_t count = 0;
    bytes->clear();
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->append(buffer, count);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    errno = error;
    return !failed;
}

}  // namespace

void AddPayloadOptions(std::vector<Option>& options, PayloadSource* source) {
    options.push_back(TextOption("--text", &source->text));
    options.push_back(TextOption("--file", &source->file));
    options.push_back(TextOption("--hex", &source->hex));
    options.push_back(FlagOption("--stdin", &source->fromStdin));
}

std::string_view PayloadHelp() { return kPayloadHelp; }

int LoadPayload(const PayloadSource& source, const Command& command, Context& context, std::string* payload) {
    const int sources = source.text.has_value() + source.file.has_value() + source.hex.has_value() + source.fromStdin;
    if (sources != 1) {
        return UsageError(context, command,
                          "give the payload with exactly one of --text, --file, --stdin or --hex (--text '' for none)");
    }
    if (source.text) {
        *payload = *source.text;
    } else if (source.hex) {
        const std::optional<std::string> bytes = FromHex(*source.hex);
        if (!bytes) return UsageError(context, command, "--hex: '" + *source.hex + "' is not pairs of hex digits");
        *payload = *bytes;
    } else if (source.fromStdin) {
        payload->assign(std::istreambuf_iterator<char>(context.in), std::istreambuf_iterator<char>());
    } else if (!ReadFile(*source.file, payload)) {
        context.err << "mirelo-send " << command.name << ": cannot read payload file '" << *source.file
                    << "': " << std::strerror(errno) << '\n';
        return kExitInput;
    }
    return kExitOk;
}

}  // namespace mirelo_send
