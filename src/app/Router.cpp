#include "app/Router.h"

namespace nolby {

Router& Router::shared() {
    static Router* router = new Router;  // lives as long as the process
    return *router;
}

}  // namespace nolby
