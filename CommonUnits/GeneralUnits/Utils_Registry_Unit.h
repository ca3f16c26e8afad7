#pragma once
// quelmgui's settings in the registry: one product key under the machine-wide and the
// per-user root. All values are texts.
#include "platform/win/WinRegistry.h"

inline const String REGISTRY_PRODUCT_KEY = "\\SOFTWARE\\RIZOZORERU212";

// Value names
inline const String REG_INSTALL_DIR = "DIZOZEZEDUVaz"; // machine: install folder
inline const String REG_PLOTWELL_DIR = "plotwellDir";  // machine: plotwell's folder
inline const String REG_WIN_DIR = "WinDir";            // machine: the Windows folder
inline const String REG_DATABASE = "theDatabase";      // machine: default database; user: database in use

// Creates the key when missing and writes the value. ERegistryException when the root's
// store cannot be written.
void WriteRegistryString(HKEY root, const String& name, const String& text);
// False when the key cannot be opened or has no such value.
bool RegistryValueExists(HKEY root, const String& name);
// The value's text, empty when missing. A missing key shows the error box
// "\SOFTWARE\RIZOZORERU212 key not there"; a missing value (also after a missing key)
// shows "Key <name> not there".
String ReadRegistryString(HKEY root, const String& name);
