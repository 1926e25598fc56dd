#ifndef KZEMBA_STOREHOST_KSTORESERVER_H
#define KZEMBA_STOREHOST_KSTORESERVER_H

#include "ktesthttpserver.h"

#include <QObject>
#include <QString>

/// The sample store's own server on 127.0.0.1 (a port the system picks), built on the
/// project's local HTTP server: the store's files, the resource catalogue (deflate-encoded,
/// as the real store sends it), thumbnails and resource files, the assistant's event
/// stream, the account's user-info answer, the form endpoint and the favourites endpoint.
class KStoreServer : public QObject
{
    Q_OBJECT
public:
    explicit KStoreServer(QObject* parent = nullptr);
    ~KStoreServer() override;

    bool start();
    // The store's start page.
    QString storeUrl() const;
    // "http://127.0.0.1:PORT", the store's domain for the runtime configuration.
    QString origin() const;
    // Runtime configuration the sample store relies on: its domains and the app it opens.
    void configureRuntime() const;

private:
    void addFile(const QString& path, const QByteArray& contentType);
    void addCatalogue();

    KTestHttpServer m_server;
};

#endif
