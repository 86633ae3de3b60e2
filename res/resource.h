// Resource IDs of ZRKTempDll.dll.
#pragma once

// The plain configuration dialog and its controls.
#define IDD_CONFIG 2001
#define IDC_RENDER_AUTO 2000
#define IDC_RENDER_DIRECT3D 2001
#define IDC_RENDER_OPENGL 2002
#define IDC_RENDER_SOFTWARE 2003
#define IDC_FULLSCREEN 2004
#define IDC_DONTSHOW 2005
#define IDC_ADVANCED 2012

// The skinned configuration window: a template without controls.
#define IDD_SKIN_CONFIG 2002
