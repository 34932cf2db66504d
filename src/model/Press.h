#pragma once
// The cover press: one JPEG cover per notebook in the data folder's "Covers" folder, named
// by the notebook's id ("<UPPER-CASE-UUID>.jpg").
//
// For now it knows which notebooks have a cover and forgets a deleted notebook's cover;
// painting and loading covers come with the shelf.

#include "platform/Uuid.h"

#include <filesystem>
#include <memory>
#include <set>

namespace nolby {

class Press {
public:
    // A press on `dataFolder`: makes its "Covers" folder (a failure is ignored) and takes
    // every file there whose name without extension is a UUID as a printed cover.
    explicit Press(const std::filesystem::path& dataFolder);
    Press(const Press&) = delete;
    Press& operator=(const Press&) = delete;

    // The application's press, on the process's data folder; made on first use (main thread).
    static const std::shared_ptr<Press>& shared();

    const std::filesystem::path dir;  // the "Covers" folder

    // Notebooks that have a cover file.
    const std::set<Uuid>& printed() const { return printed_; }

    // Removes the notebook's cover file (any failure ignored) and forgets that it has one.
    void forget(const Uuid& id);

    // "<UPPER-CASE-UUID>.jpg"
    static std::string fileName(const Uuid& id) { return id.string() + ".jpg"; }

private:
    std::set<Uuid> printed_;
};

}  // namespace nolby
