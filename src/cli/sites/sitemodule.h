#pragma once

#include "sitemodel.h"

#include <QString>

#include <memory>
#include <variant>

// The program's side of the site module: a new engine, or why there is none.
std::variant<QString, std::shared_ptr<SiteEngine>> loadSiteEngine();
