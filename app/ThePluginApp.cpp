// The single application object, linked only into ZRKTempDll.dll.
#include "app/PluginApp.h"

namespace {

PluginApp theApp;

}  // namespace

PluginApp& ThePluginApp() { return theApp; }
