// A library that loads like a plug-in but exports none of the entries.
#include "interfaces/kzembapluginexport.h"

KZEMBA_PLUGIN_ENTRY int KZembaNoEntryMarker()
{
    return 1;
}
