// Resource IDs of ZRKTempDll.dll.
#pragma once
