#pragma once

// The operations of rzreg, each on arguments that parsed cleanly; each returns the exit status.

#include "tools/rzreg/rzreg.h"
#include "tools/rzreg/rzregArguments.h"

int rzregQuery(const rzregArguments& args, rzregConsole& console);
int rzregAdd(const rzregArguments& args, rzregConsole& console);
int rzregDelete(const rzregArguments& args, rzregConsole& console);
int rzregExport(const rzregArguments& args, rzregConsole& console);
int rzregImport(const rzregArguments& args, rzregConsole& console);
int rzregCopy(const rzregArguments& args, rzregConsole& console);
int rzregCompare(const rzregArguments& args, rzregConsole& console);
