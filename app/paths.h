// Where the program keeps its configuration and working folders.
#pragma once

#include <QString>

// The data root, always ending in '/': $KVR_DATA_ROOT when set; on Windows
// "C://QUORVANE/KVR_ANALYSIS/"; elsewhere the per-user generic data location
// + "/QUORVANE/KVR_ANALYSIS/".
QString dataRoot();

// dataRoot() + "etc/param_config.xml".
QString configFilePath();

// Creates "etc/", "localDataDir/", "sDataDir/" and "uDataDir/" under the data
// root (parents included). Returns whether all four exist afterwards.
bool createDataDirectories();

// A file shipped with the program, such as the report template "template.dotx":
// beside the executable (the build tree, a Windows installation) or in the
// package's data folder relative to it (an installed program:
// <prefix>/bin/../share/kvr-analysis/). Returns the first that exists, else
// the path beside the executable.
QString programDataFile(const QString &name);
