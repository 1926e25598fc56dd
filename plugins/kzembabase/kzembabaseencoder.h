#ifndef KZEMBA_PLUGINS_KZEMBABASEENCODER_H
#define KZEMBA_PLUGINS_KZEMBABASEENCODER_H

#include "interfaces/ikzembabase.h"

/// The base plug-in's text encoders; both are reversible:
/// - a request payload travels as "data=" followed by the percent-encoded
///   Base64 of its UTF-8 bytes (decodeRequestParams() turns it back);
/// - a stored text is "kzb1:" followed by the Base64 of its UTF-8 bytes; any
///   other stored text decodes to an empty text.
class KZembaBaseEncoder : public IKZembaBase
{
public:
    QString encodeRequestParams(const QString& payload) override;
    QString encodeForStorage(const QString& text) override;
    QString decodeFromStorage(const QString& text) override;

    // The payload of an encoded fragment; empty when it is not one.
    static QString decodeRequestParams(const QString& fragment);
};

#endif
