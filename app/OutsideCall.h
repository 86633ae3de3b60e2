// The firewall around every call the plug-in makes into an outside component (the host
// and its modules, the menu module, the help library). Those are built by another
// compiler: what they raise is a structured exception (an access violation, a C++
// exception of their own compiler), which the plug-in's catch (...) does not see. The
// call runs inside a structured-exception frame of the plug-in's own; an exception that
// reaches it has the component's frames unwound (their cleanups run) and ends the call.
// The plug-in's own C++ exceptions pass through the frame untouched.
#pragma once

// Runs function(context); false when a structured exception ended it. function must
// call only into the component: its own frame is left without cleanup.
bool CallGuarded(void (*function)(void*), void* context);

// CallGuarded for a callable whose body is the outside call itself, e.g.
//   bool ok = CallOutside([&] { pHost->lpVtbl->Shutdown(pHost); });
template <typename Call>
bool CallOutside(Call call)
{
    return CallGuarded([](void* pCall) { (*static_cast<Call*>(pCall))(); }, &call);
}
