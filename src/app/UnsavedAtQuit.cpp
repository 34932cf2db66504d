#include "app/UnsavedAtQuit.h"

#include "app/Display.h"
#include "ui/library/Newsstand.h"

#include <QMessageBox>
#include <QPushButton>

#include <ostream>

namespace nolby::UnsavedAtQuit {

namespace {

std::string titleOf(const Library& library, const Uuid& id) {
    auto n = library.notebook(id);
    return n ? Newsstand::displayTitle(*n) : "Untitled";
}

// Asks whether to try again; true for Try Again.
bool askAgain(const Library& library, const std::map<Uuid, std::string>& unsaved) {
    QMessageBox box(QMessageBox::Warning, "Nolby", "");
    const auto& [id, reason] = *unsaved.begin();
    box.setText(QString::fromStdString(
        unsaved.size() == 1 ? "Couldn't save \u201C" + titleOf(library, id) + "\u201D: " + reason + "."
                            : "Couldn't save " + std::to_string(unsaved.size()) + " notebooks: " + reason + "."));
    box.setInformativeText("If you quit now, the changes made since they were last saved are lost. "
                           "Make room or fix the folder, then try again.");
    QPushButton* again = box.addButton("Try Again", QMessageBox::AcceptRole);
    box.addButton("Quit Anyway", QMessageBox::DestructiveRole);
    box.setDefaultButton(again);
    box.exec();
    return box.clickedButton() == again;
}

}  // namespace

std::string report(const Library& library, const std::map<Uuid, std::string>& unsaved) {
    std::string out;
    for (const auto& [id, reason] : unsaved)
        out += "nolby: couldn't save \u201C" + titleOf(library, id) + "\u201D: " + reason +
               "; its changes since it was last saved are lost\n";
    return out;
}

bool settle(Library& library, std::ostream& err) {
    for (;;) {
        const std::map<Uuid, std::string> unsaved = library.flush();
        if (unsaved.empty()) return true;
        if (Display::available() && askAgain(library, unsaved)) continue;
        err << report(library, unsaved) << std::flush;
        return false;
    }
}

}  // namespace nolby::UnsavedAtQuit
