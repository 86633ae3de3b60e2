// The doctor's checks, each the plug-in's own decision seen from outside: they add
// findings to the report and load only the client's components, never the plug-in.
#pragma once

#include "tools/DoctorReport.h"

#include <string>

// The client's executable path (the longest .exe in the folder other than the doctor,
// client.exe when there is none) and what the plug-in makes of it and of the paths it
// builds. Answers the module directory, or empty when the plug-in refuses the path.
std::string CheckPaths(const std::string& clientFolder, DoctorReport& report);

// ZRKTempDll.dll in the directory, read as a file: version record, exports, imports.
void CheckPluginFile(const std::string& directory, DoctorReport& report);

// The component host and its modules beside the client, loaded for real.
void CheckComponents(const std::string& directory, DoctorReport& report);

// The menu module and the help library in the parent folder, bound as start-up does.
void CheckMenuModules(const std::string& directory, DoctorReport& report);

// devconfig.txt at path as start-up reads it.
void CheckConfig(const std::string& path, DoctorReport& report);

// The queue's kernel objects as they are now.
void CheckQueue(DoctorReport& report);

// printf into a std::string.
std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
