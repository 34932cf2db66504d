#include "app/IssuePane.h"

#include "library/Library.h"
#include "platform/Defaults.h"
#include "platform/Definitions.h"
#include "sheet/SheetHead.h"
#include "sheet/SheetView.h"

#include <QDesktopServices>
#include <QUrl>

namespace nolby {

IssuePane::IssuePane(std::shared_ptr<NotebookModel> model, PaneActions actions, bool outline,
                     std::shared_ptr<Scheduler> scheduler, std::shared_ptr<PressSource> press,
                     std::shared_ptr<Library> library, QWidget* parent)
    : SheetPane(model, outline, parent, scheduler->clock()), model_(model) {
    scroll_ = new SheetScrollView(model, state(), scheduler, press, this);
    scroll_->setActions(SheetActions{actions.dive, actions.open, actions.close, actions.focused});
    scroll_->setDefinitions(std::make_shared<DictionaryPage>(Defaults::standard(), [](const std::string& address) {
        QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
    }));
    head_ = std::make_shared<SheetHead>(model, 0, 1, actions.close, nullptr,
                                        SheetHead::Sources{std::move(press), std::move(library)});
    scroll_->sheet().setHead(head_);
    setSheet(scroll_);
    Actions chrome = through(state());
    std::weak_ptr<SheetView> sheet = scroll_->sharedSheet();
    chrome.explain = [sheet] {
        if (auto s = sheet.lock()) s->pointer().explain();
    };
    chrome.goDeeper = [sheet] {
        if (auto s = sheet.lock()) s->pointer().goDeeper();
    };
    setActions(std::move(chrome));
}

}  // namespace nolby
