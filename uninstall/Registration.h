#pragma once

// Deletes HKLM\...\Uninstall\<name> in the 32-bit registry view, where the
// setup program writes it. Only a key without subkeys goes.
void RemoveUninstallEntry(const wchar_t* name);

// Sets the running executable's value (REG_DWORD 1) under the Program
// Compatibility Assistant's "Persisted" key of the current user. The key is
// never created. True when the value was written.
bool MarkCompatibilityPersisted();
