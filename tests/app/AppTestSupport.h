#pragma once
// An application context on a temporary data folder, the Qt scheduler and the local gateway
// service on a free loopback port (its scripted demo tutor), so windows run as in the app
// with nothing of the user's touched and nothing beyond 127.0.0.1 reached.

#include "gateway/GatewayTestSupport.h"
#include "app/AppContext.h"
#include "tutor/Attestor.h"
#include "tutor/Painter.h"
#include "tutor/TokenStore.h"
#include "ui/QtScheduler.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <memory>

namespace nolby::test {

struct TestApp {
    TempFolder folder;
    testing::Served served;
    std::shared_ptr<QtScheduler> scheduler;
    std::shared_ptr<AppContext> context = std::make_shared<AppContext>();

    // `clock`: the scheduler's time (a manual clock holds the app's animations still).
    explicit TestApp(std::shared_ptr<const Clock> clock = SteadyClock::shared())
        : scheduler(std::make_shared<QtScheduler>(std::move(clock))) {
        context->scheduler = scheduler;
        context->gateway = Gateway::make(scheduler, served.base(), std::make_shared<TokenStore>(folder.path),
                                         Attestor::unsupported());
        context->press = Press::make(folder.path, scheduler, Painter::forPress(context->gateway));
        context->library = Library::make(folder.path, scheduler, context->press, nullptr);
        context->defaults = std::make_shared<Defaults>(folder.path / "defaults.json");
    }
    ~TestApp() { context->library->flush(); }
};

}  // namespace nolby::test
