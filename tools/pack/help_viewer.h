#pragma once
// Compiled HTML help (.chm) has no viewer built into the desktop; an external
// one is used when installed. Without one the help actions stay disabled.

#include <QString>

// The first of the known .chm viewers found on PATH; empty when none is.
QString FindHelpViewer();
// Starts Viewer on HelpFile, detached. False when it could not be started.
bool ShowHelpFile(const QString& Viewer, const QString& HelpFile);
