#ifndef KZEMBA_PLUGINS_KZEMBAPLUGINEXPORT_H
#define KZEMBA_PLUGINS_KZEMBAPLUGINEXPORT_H

// Interfaces cross library borders, so their type information must be visible everywhere
// they are used; entries are C functions that the loader resolves by name.
#define KZEMBA_PLUGIN_INTERFACE __attribute__((visibility("default")))
#define KZEMBA_PLUGIN_ENTRY extern "C" __attribute__((visibility("default")))

#endif
