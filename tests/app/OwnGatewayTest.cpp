// A lesson begun on the desk, with the app's gateway found as the app finds it when no address
// was named: the one the app starts answers it; one that will not start ends the turn on the
// error pill with the usual unreachable text, and the app goes on.

#include "AppTestSupport.h"
#include "app/DeskWindow.h"
#include "app/IssueView.h"
#include "app/Router.h"
#include "support/Processes.h"
#include "tutor/LocalGateway.h"
#include "ui/pills/Pills.h"

#include <QTest>

using namespace nolby;

TEST(OwnGateway, ALessonIsAnsweredByTheGatewayTheAppStartsOrEndsOnTheErrorPill) {
    struct Case {
        const char* program;  // beside the app, or nowhere
        bool answered;
    };
    for (const Case& c : {Case{"nolby-gateway", true}, Case{"no-such-gateway", false}}) {
        SCOPED_TRACE(c.program);
        test::TestApp app;
        LocalGateway::Options options;
        options.usual = test::unusedBase();
        options.program = LocalGateway::beside().parent_path() / c.program;
        auto own = std::make_shared<LocalGateway>(options);
        app.context->gateway = Gateway::make(app.scheduler, own, std::make_shared<TokenStore>(app.folder.path),
                                             Attestor::unsupported());
        Router::shared().pendingQuestion.set(std::nullopt);
        DeskWindow desk(app.context, [](const Uuid&) {});
        desk.show();
        desk.deskView()->begin("What is a fraction?");
        auto model = desk.deskView()->model();
        ASSERT_NE(model, nullptr);
        if (c.answered) {
            QTRY_VERIFY_WITH_TIMEOUT(!model->nb->turns.empty(), 60000);
            const std::optional<int> pid = own->child();
            ASSERT_TRUE(pid);
            own->stop();
            EXPECT_TRUE(test::waitGone(*pid));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(model->tutor->error.has_value(), 30000);
            EXPECT_EQ(*model->tutor->error, "Couldn't reach the press. Check your connection and try again.");
            EXPECT_EQ(own->child(), std::nullopt);
            ErrorPill& pill = *desk.deskView()->issueView()->pills()->error();
            QTRY_VERIFY_WITH_TIMEOUT(pill.shown(), 5000);
            EXPECT_TRUE(model->nb->turns.empty());
        }
        desk.close();
    }
}
