#ifndef KZEMBA_VANTA_KVANTAAPPLICATION_H
#define KZEMBA_VANTA_KVANTAAPPLICATION_H

#include "kzembaplatform_export.h"

#include <QList>
#include <QObject>
#include <QPointer>

class KVantaMainWindow;
class KVantaProcessHost;

/// The shell's application object: its main windows, the current one among
/// them, and the app runner. A process has at most one; instance() is the one
/// alive, or null when the process runs without the shell. The application
/// owns its main windows and its own app runner; a shell may install another
/// runner object in its place. It also owns the process host, which hands out
/// the IPC clients of the document processes.
class KZEMBAPLATFORM_EXPORT KVantaApplication : public QObject
{
    Q_OBJECT
public:
    explicit KVantaApplication(QObject* parent = nullptr);
    ~KVantaApplication() override;

    static KVantaApplication* instance();

    // Null when the runner is gone.
    QObject* vantaAppRunner() const;
    // The caller keeps ownership of `runner`.
    void setVantaAppRunner(QObject* runner);

    // Never null while the application lives.
    KVantaProcessHost* processHost() const;

    // A new top-level window owned by the application; the first one becomes current.
    KVantaMainWindow* createMainWindow(int headerbarType = 0);
    QList<KVantaMainWindow*> mainWindows() const;
    // The window made current last; while it is gone, the first window alive.
    KVantaMainWindow* currentMainWindow() const;
    void setCurrentMainWindow(KVantaMainWindow* window);

    // The main window that `object` lives in (the first one among its object
    // parents), or null.
    static KVantaMainWindow* findRelativeVantaMainWindow(QObject* object);

private:
    QPointer<QObject> m_appRunner;
    KVantaProcessHost* m_processHost;
    QList<QPointer<KVantaMainWindow>> m_mainWindows;
    QPointer<KVantaMainWindow> m_currentMainWindow;
};

#endif
