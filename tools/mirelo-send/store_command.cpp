#include <ostream>

#include "command.h"
#include "core/code_page_posix.h"
#include "store/store_document.h"
#include "store/store_files_posix.h"
#include "store_table.h"

namespace mirelo_send {
namespace {

constexpr std::string_view kStoreHelp =
    "Usage: mirelo-send store FILE [--tsv] [--width N]\n"
    "Prints a client's store file (<UserKey>_alerts.xml in its program folder: the notifications that\n"
    "arrived in XML batches) as a table, one row per Notification element in file order: id (numbered from\n"
    "0 in every run of the client), kind, flag (1 is urgent), date, title, sender, the page function and\n"
    "URL. The file is EUC-KR; the table is UTF-8. Nothing is sent and the file is not changed.\n"
    "  --tsv        tab-separated values with a header line, every value whole (tab, line ends and\n"
    "               backslash written as \\t, \\n, \\r, \\\\)\n"
    "  --width N    the widest a table column gets, 8 to 1000 terminal columns (default 30); longer\n"
    "               values end in \"...\"\n"
    "Exit codes: 0 printed; 2 usage error; 3 the file is missing, unreadable or not a well-formed store.\n"
    "\n"
    "Examples:\n"
    "  mirelo-send store '/mnt/desk-042/Program Files/Mirelo/key1_alerts.xml'\n"
    "  mirelo-send store key1_alerts.xml --tsv | cut -f 5\n";

std::string StoreHelp() { return std::string(kStoreHelp); }

int InputError(Context& context, const std::string& path, const std::string& problem) {
    context.err << "mirelo-send store: " << path << ": " << problem << '\n';
    return kExitInput;
}

int RunStore(const Args& args, Context& context) {
    StoreTableOptions table;
    const std::vector<Option> options = {FlagOption("--tsv", &table.tsv),
                                         IntegerOption("--width", &table.width, 8, 1000)};
    Args files;
    int exitCode = kExitOk;
    if (!ParseCommandArgs(kStoreCommand, args, options, &files, context, &exitCode)) return exitCode;
    if (files.size() != 1) return UsageError(context, kStoreCommand, "give exactly one store FILE");
    const std::string& path = files[0];

    mirelo::PosixStoreFiles reader;
    const mirelo::StoreFiles::Contents contents = reader.Read(path);
    switch (contents.state) {
        case mirelo::StoreFiles::State::Missing: return InputError(context, path, "no such file");
        case mirelo::StoreFiles::State::Folder: return InputError(context, path, "is a folder");
        case mirelo::StoreFiles::State::Unreadable: return InputError(context, path, contents.error);
        case mirelo::StoreFiles::State::Ok: break;
    }
    const mirelo::IconvCodec codec("CP949");
    mirelo::StoreDocument document;
    const mirelo::StoreLoad load = document.Load(contents.bytes, codec);
    if (load == mirelo::StoreLoad::Damaged) {
        return InputError(context, path, "not a well-formed store (" + document.Damage() + ")");
    }
    const std::vector<mirelo::StoreEntry> entries = document.Entries();
    context.out << FormatStoreTable(entries, table);
    if (!table.tsv) context.out << entries.size() << (entries.size() == 1 ? " notification\n" : " notifications\n");
    return kExitOk;
}

}  // namespace

const Command kStoreCommand = {
    "store",
    "store FILE [--tsv] [--width N]",
    "print a client's store file (EUC-KR) as a table; sends nothing",
    StoreHelp,
    RunStore,
};

}  // namespace mirelo_send
