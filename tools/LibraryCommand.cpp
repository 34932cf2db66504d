#include "Commands.h"
#include "OpsJson.h"
#include "library/Library.h"
#include "platform/DataFolder.h"

#include <cstdio>
#include <set>

namespace nolby::tools {

namespace {

void printNotebook(const NotebookHead& n, int depth) {
    std::printf("%*s", depth * 2, "");
    if (n.parent)
        std::printf("dive");
    else if (n.issue)
        std::printf("issue %lld", static_cast<long long>(*n.issue));
    else
        std::printf("issue -");
    std::printf("  %s  %s  %zu page%s\n", quoted(n.title).c_str(), n.id.string().c_str(), n.pageCount,
                n.pageCount == 1 ? "" : "s");
}

// The notebook, then its dives under it, each notebook once (a damaged file may make a
// notebook its own ancestor).
void printTree(const Library& lib, const NotebookHead& n, int depth, std::set<Uuid>& shown) {
    if (!shown.insert(n.id).second) return;
    printNotebook(n, depth);
    for (const NotebookHead& dive : lib.dives(n.id)) printTree(lib, dive, depth + 1, shown);
}

}  // namespace

// nolby-ink library [--data DIR]
int libraryCommand(const Args& args) {
    const char* data = option(args, "--data");
    if (args.size() != (data ? 2u : 0u)) return 2;
    const std::filesystem::path folder = data ? std::filesystem::path(data) : Platform::support();
    auto scheduler = std::make_shared<LoopScheduler>();
    auto lib = Library::make(folder, scheduler, nullptr, nullptr);
    if (!lib->owner())
        std::printf("read only: a running Nolby holds this folder; nothing was numbered, saved or cleared\n");
    // The numbers just handed out are on disk before we report them.
    for (const auto& [id, reason] : lib->flush())
        std::printf("not saved: %s: %s\n", id.string().c_str(), reason.c_str());

    std::set<Uuid> shown;
    for (const NotebookHead& n : lib->issues()) printTree(*lib, n, 0, shown);
    for (const NotebookHead& n : lib->notebooks.get()) {
        if (shown.count(n.id)) continue;
        std::printf("dive of %s, which is not in the store:\n", n.parent ? n.parent->string().c_str() : "?");
        printTree(*lib, n, 1, shown);
    }
    for (const Library::LoadNote& note : lib->loadNotes()) {
        std::printf("%s %s\n", note.skipped ? "skipped" : "repaired", note.file.c_str());
        for (const std::string& issue : note.issues) std::printf("  %s\n", issue.c_str());
    }
    return 0;
}

}  // namespace nolby::tools
