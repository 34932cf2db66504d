// nolby-ink lesson: one tutor turn, headless, as the app runs it.
#include "Commands.h"
#include "OpsJson.h"
#include "Render.h"
#include "ink/Faces.h"
#include "library/Library.h"
#include "model/NotebookModel.h"
#include "notebook/NotebookFile.h"
#include "platform/Defaults.h"
#include "platform/Files.h"
#include "press/Press.h"
#include "tutor/Painter.h"
#include "tutor/TutorSession.h"

#ifdef NOLBY_LESSON_DEMO
#include "Service.h"
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace nolby::tools {

namespace {

// A private folder for the demo gateway's session token and settings, gone at the end.
struct Scratch {
    std::filesystem::path path;
    Scratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "nolby-lesson-XXXXXX").string();
        if (mkdtemp(pattern.data())) path = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
};

// Types the text at the typing spot, character by character as a learner would.
void type(NotebookModel& model, LoopScheduler& loop, const std::string& text) {
    model.writeHere();
    // A note on a new page waits for the page to turn to it.
    loop.runUntil([&] { return model.editing.get().has_value(); }, 5);
    model.editing.modify([&](std::optional<NotebookModel::Editing>& e) {
        if (e) e->text += text;
    });
}

}  // namespace

// nolby-ink lesson [--notebook FILE] [--ask TEXT] [--turned] [--out DIR]
// Runs one tutor turn on a notebook (FILE, else a new notebook with pages of 600 by 1600
// points), asking TEXT typed at the typing spot or, without it, for the next step. The tutor
// is the gateway at NOLBY_API, or the offline demo tutor of a gateway of its own. The notebook
// lives in the data folder DIR ("lesson" by default): the reply is placed, written out,
// painted and saved there through the store, and every page is drawn to DIR/page-N.png.
// Pages are shown as one scrolling sheet unless --turned. A failed turn exits 1 with its text
// on standard error.
int lessonCommand(const Args& args) {
    const char* file = option(args, "--notebook");
    const char* asked = option(args, "--ask");
    const char* outText = option(args, "--out");
    const bool turned = flag(args, "--turned");
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool valued = a == "--notebook" || a == "--ask" || a == "--out";
        if (valued) ++i;
        else if (a != "--turned") return 2;
    }
    const std::filesystem::path out = outText ? outText : "lesson";

    std::optional<Notebook> notebook;
    if (file) {
        std::optional<std::string> bytes = Files::read(file);
        if (!bytes) {
            std::fprintf(stderr, "nolby-ink: cannot read %s\n", file);
            return 1;
        }
        notebook = NotebookFile::decode(*bytes).notebook;
        if (!notebook) {
            std::fprintf(stderr, "nolby-ink: %s is not a notebook file\n", file);
            return 1;
        }
    }

    Faces::registerFrom();
    Scratch scratch;
    auto loop = std::make_shared<LoopScheduler>();
    const char* api = std::getenv("NOLBY_API");
    const bool remote = api && Gateway::baseFrom(api);
    std::string base = Gateway::defaultBase();
#ifdef NOLBY_LESSON_DEMO
    std::unique_ptr<service::GatewayService> demo;
    if (!remote) {
        service::Options o;
        o.port = 0;
        o.demoPace = 0;
        demo = std::make_unique<service::GatewayService>(o);
        if (demo->start() < 0) {
            std::fprintf(stderr, "nolby-ink: the demo gateway could not start\n");
            return 1;
        }
        base = demo->base();
    }
#endif
    // A gateway of our own knows none of the user's tokens, and its spend is not theirs.
    auto gateway = Gateway::make(loop, base, remote ? TokenStore::user() : std::make_shared<TokenStore>(scratch.path),
                                 Attestor::unsupported());
    auto defaults = remote ? Defaults::standard() : std::make_shared<Defaults>(scratch.path / "defaults.json");

    auto press = Press::make(out, loop, Painter::forPress(gateway));
    auto library = Library::make(out, loop, press, nullptr);
    Notebook n = notebook ? *notebook : library->create(1600, 600);
    library->save(n, true);

    TutorSession::Services tutor;
    tutor.library = library;
    tutor.scheduler = loop;
    tutor.gateway = gateway;
    tutor.defaults = defaults;
    tutor.press = press;
    auto model = NotebookModel::make(std::move(n), TutorSession::modelServices(tutor));
    model->scroll.set(!turned);
    auto& session = static_cast<TutorSession&>(*model->session);

    if (asked) type(*model, *loop, asked);
    model->ask();
    const bool done = loop->runUntil(
        [&] { return !session.task() && session.paintings() == 0 && press->printing().empty(); }, 600);
    if (!done) {
        std::fprintf(stderr, "nolby-ink: the turn did not end within ten minutes\n");
        return 1;
    }
    if (const std::optional<std::string>& error = model->tutor->error) {
        std::fprintf(stderr, "%s\n", error->c_str());
        model->close();
        library->flush();
        return 1;
    }

    model->scribe->flush();
    model->save(true);
    library->flush();
    const Notebook& written = model->nb.get();
    std::printf("{\"notebook\":%s,\"title\":%s,\"turns\":%d,\"pages\":%d}\n",
                quoted((library->dir / NotebookFile::fileName(written.id)).string()).c_str(), quoted(written.title).c_str(),
                static_cast<int>(written.turns.size()), static_cast<int>(written.pages.size()));
    for (int p = 0; p < static_cast<int>(written.pages.size()); ++p) {
        const std::filesystem::path png = out / ("page-" + std::to_string(p + 1) + ".png");
        if (!renderPng(model->settledOps(p), Rect{0, 0, written.pageW, written.pageH}, 1, png.string())) {
            std::fprintf(stderr, "nolby-ink: could not write %s\n", png.string().c_str());
            return 1;
        }
        std::printf("{\"page\":%d,\"png\":%s}\n", p + 1, quoted(png.string()).c_str());
    }
    return 0;
}

}  // namespace nolby::tools
