#ifndef KZEMBA_PLUGINS_IKZEMBABASE_H
#define KZEMBA_PLUGINS_IKZEMBABASE_H

#include "kzembapluginexport.h"

#include <QString>

/// The base service of the base plug-in "kzembabase" (entry GetZembaBase): the
/// store's text encoders. What the encodings are is the plug-in's own.
class KZEMBA_PLUGIN_INTERFACE IKZembaBase
{
public:
    virtual ~IKZembaBase() = default;

    // Turns a JSON payload into the query fragment that carries it in a store request.
    virtual QString encodeRequestParams(const QString& payload) = 0;
    // Encodes a text for the settings store, and decodes it again.
    virtual QString encodeForStorage(const QString& text) = 0;
    virtual QString decodeFromStorage(const QString& text) = 0;
};

using GetZembaBaseFn = IKZembaBase* (*)();

#endif
