// Binds the right-click menu module and the help library from the parent directory of
// the client's executable; the exports call through what it stores in PluginApp.
#pragma once

class PluginApp;

// Binds Tessaru.dll (all five entry points or none) and then Orvalt.dll.
void BindMenuModule(PluginApp& app);
