#include "app/CReZevavEvadurovApp.h"

#include <QApplication>

// The one application object, made by static initialisation as the framework expects.
CReZevavEvadurovApp theApp;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    return RunApplication(theApp);
}
