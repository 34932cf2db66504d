#pragma once
// A notebook store on a fresh temporary data folder, driven by a manual scheduler, and
// helpers to put notebook files in place and read them back.

#include "library/Library.h"
#include "notebook/NotebookFile.h"
#include "platform/AtomicFile.h"
#include "platform/Files.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace nolby::test {

namespace fs = std::filesystem;

inline Date at(double seconds) { return dateFromReference(seconds); }

// A notebook with a title, dates and an optional issue and parent.
inline Notebook notebook(const std::string& title, double created = 100, double updated = 200,
                         std::optional<int64_t> issue = std::nullopt, std::optional<Uuid> parent = std::nullopt) {
    Notebook n;
    n.title = title;
    n.created = at(created);
    n.updated = at(updated);
    n.issue = issue;
    n.parent = parent;
    return n;
}

struct Store {
    TempFolder data;
    std::shared_ptr<ManualScheduler> scheduler = std::make_shared<ManualScheduler>();
    std::ostringstream log;
    std::shared_ptr<Library> library;

    fs::path notebooks() const { return data.path / "Notebooks"; }
    fs::path covers() const { return data.path / "Covers"; }
    fs::path fileOf(const Uuid& id) const { return notebooks() / NotebookFile::fileName(id); }

    // A new store on the folder, as at launch (the old one, if any, is dropped first: it
    // would hold the folder).
    Library& open() {
        library.reset();
        library = Library::make(data.path, scheduler, nullptr, &log);
        return *library;
    }

    void put(const std::string& name, const std::string& bytes) const {
        fs::create_directories(notebooks());
        std::ofstream(notebooks() / name, std::ios::binary) << bytes;
    }
    void put(const Notebook& n) const { put(NotebookFile::fileName(n.id), NotebookFile::encode(n)); }

    // The notebook in the file named by the id, or nothing.
    std::optional<Notebook> onDisk(const Uuid& id) const {
        auto bytes = Files::read(fileOf(id));
        if (!bytes) return std::nullopt;
        return NotebookFile::decode(*bytes).notebook;
    }
    std::string titleOnDisk(const Uuid& id) const {
        auto n = onDisk(id);
        return n ? n->title : "(no file)";
    }
};

// Atomic writes' temporary files left in the folder.
inline size_t temporaries(const fs::path& folder) {
    size_t n = 0;
    for (const auto& name : Files::names(folder)) n += AtomicFile::isTemporary(name);
    return n;
}

// The notebook's file with the "spoken" flag of its one note taken out: the reader
// repairs it.
inline std::string damaged(const Notebook& n) {
    auto doc = nlohmann::json::parse(NotebookFile::encode(n));
    doc["pages"][0]["items"][0]["text"]["_0"].erase("spoken");
    return doc.dump();
}

template <class List>
std::vector<std::string> titles(const List& list) {
    std::vector<std::string> out;
    for (const auto& n : list) out.push_back(n.title);
    return out;
}

}  // namespace nolby::test
