#ifndef KZEMBA_TESTS_KTESTAPPLICATION_H
#define KZEMBA_TESTS_KTESTAPPLICATION_H

#include <krt/kcoreapplication.h>

/// Stands for the host's source of signed-in user changes.
class KTestUserInfoSource : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
signals:
    void userInfoChange(int reason);
};

/// The application of every test binary: a suite application that offers a
/// user-info source.
class KTestApplication : public KCoreApplication
{
    Q_OBJECT
public:
    KTestApplication(int& argc, char** argv);
    ~KTestApplication() override;

    QObject* userInfoSource() const override;
    KTestUserInfoSource* testUserInfoSource() const { return m_userInfo; }

private:
    KTestUserInfoSource* m_userInfo;
};

// Runs a QtTest class inside KTestApplication with the offscreen platform and a runtime
// folder that is never the real home.
int kzembaRunTests(int argc, char** argv, QObject* testObject);

#define KZEMBA_TEST_MAIN(TestClass)                                                                                    \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        TestClass test;                                                                                                \
        return kzembaRunTests(argc, argv, &test);                                                                      \
    }

#endif
