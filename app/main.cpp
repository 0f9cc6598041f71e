#include "app/CReZevavEvadurovApp.h"
#include "app/applicationIdentity.h"
#include "app/startupCommandLine.h"

#include <QApplication>

#include <iostream>
#include <optional>

// The one application object, made by static initialisation as the framework expects.
CReZevavEvadurovApp theApp;

int main(int argc, char** argv)
{
    const int status =
        startupCommandLine::handle({argv, static_cast<std::size_t>(argc)}, std::cout, std::cerr);
    if (status != startupCommandLine::runDialog)
    {
        return status;
    }
    std::optional<displayFailureGuard> guard(std::in_place);
    QApplication application(argc, argv);
    guard.reset();
    applicationIdentity::apply();
    return RunApplication(theApp);
}
