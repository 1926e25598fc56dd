#ifndef KZEMBA_STOREHOST_KSTORESERVER_H
#define KZEMBA_STOREHOST_KSTORESERVER_H

#include "ktesthttpserver.h"

#include <QObject>
#include <QString>

/// The sample store's own server on 127.0.0.1 (a port the system picks), built on the
/// project's local HTTP server: the store's files, the resource catalogue (deflate-encoded,
/// as the real store sends it), thumbnails and resource files, the assistant's event
/// stream, the account's user-info answer, the form endpoint, the favourites endpoint, and
/// the store app's page-host registration with the sign file it names (a fresh sign per
/// start, so a page host is only trusted by a real check).
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
    // Runtime configuration the sample store relies on: its domains, the app it opens, and
    // the sign file's address. The page-host check fetches the sign from the page's host
    // without the page's port, so requests for 127.0.0.1's default port come here.
    void configureRuntime() const;
    // The store app whose page host this server registers.
    static QString appId();

private:
    void addFile(const QString& path, const QByteArray& contentType);
    void addCatalogue();
    void addPageHostRegistration();

    KTestHttpServer m_server;
};

#endif
