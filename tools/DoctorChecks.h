// The doctor's checks, each the plug-in's own decision seen from outside: they add
// findings to the report and load only the client's components, never the plug-in.
#pragma once

#include "tools/DoctorReport.h"

#include <string>

// The client's executable: the one named (--client), else the folder's only executable,
// else the only one there with the skin background, else the first, with a warning
// that names the candidates. The report says which.
std::string ChooseClientExecutable(const std::string& named, const std::string& clientFolder, DoctorReport& report);

// What the plug-in makes of the client's path (its name in the client folder) and of
// the paths it builds. Answers the module directory, or empty when the plug-in refuses it.
std::string CheckPaths(const std::string& clientFolder, const std::string& client, DoctorReport& report);

// ZRKTempDll.dll in the directory, read as a file: version record, exports, imports.
void CheckPluginFile(const std::string& directory, DoctorReport& report);

// Empty when the file at path is a library of the client's word size; else what it is.
std::string LibraryImageProblem(const std::string& path);

// The component host and its modules beside the client, loaded for real, each in a
// child process that may take boundMs.
void CheckComponents(const std::string& directory, unsigned long boundMs, DoctorReport& report);

// The menu module and the help library in the parent folder, bound as start-up does,
// each in a child process that may take boundMs.
void CheckMenuModules(const std::string& directory, unsigned long boundMs, DoctorReport& report);

// Each path the plug-in builds from the module directory for a component, checked to
// fit in MAX_PATH.
void CheckComponentPaths(const std::string& directory, DoctorReport& report);

// In such a child: the check of one library (its file name) in directory. False when
// no check has that name.
bool RunLibraryCheck(const std::string& library, const std::string& directory, DoctorReport& report);

// devconfig.txt at path as start-up reads it. True when it makes start-up show the
// configuration window.
bool CheckConfig(const std::string& path, DoctorReport& report);

// Whether the executable carries the configuration window's background bitmap.
bool HasSkinBackground(const std::string& executable);

// The skin bitmaps among the client executable's resources, which the configuration
// window draws itself with when it shows.
void CheckClientBitmaps(const std::string& executable, bool windowShows, DoctorReport& report);

// The queue's kernel objects as they are now.
void CheckQueue(DoctorReport& report);

// printf into a std::string.
std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
