#ifndef KZEMBA_TESTS_KTESTKVANTAHANDLER_H
#define KZEMBA_TESTS_KTESTKVANTAHANDLER_H

#include "kvantaservices.h"

#include <QAtomicInt>

#include <map>
#include <string>
#include <vector>

/// Plays the shell: answers a few methods with values derived from their arguments, so
/// that a lost or mixed-up argument shows in the answer, and records what it was given.
/// Every other method keeps the generated do-nothing answer.
class KTestKvantaHandler : public qox::kvanta::kvantaservicesNull
{
public:
    bool activeSubWindow(const int64_t id) override;
    int32_t getCurrentVantaPageType(const int64_t wid) override;
    int64_t docBackup(const int64_t id, const std::string& fileName) override;
    void getStatisticsResult(std::string& _return, const int64_t id, const std::string& type) override;
    void queryDocInfo(std::map<std::string, std::string>& _return, const int64_t id) override;
    void transmitCommandline(const std::string& cmdline) override;
    void openFiles(const int64_t mainWindowId, const std::vector<qox::kvanta::FileItem>& files) override;
    // Fails the way a broken shell handler would.
    bool export2pdf(const int64_t id, const std::string& filePath) override;

    // Makes transmitCommandline take this long before it returns.
    int voidDelayMs = 0;
    QAtomicInt commandlineDone;
    std::string lastCommandline;
    int64_t lastMainWindowId = 0;
    std::vector<qox::kvanta::FileItem> lastFiles;
};

#endif
