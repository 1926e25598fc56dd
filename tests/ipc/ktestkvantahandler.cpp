#include "ktestkvantahandler.h"

#include <QThread>

#include <stdexcept>

bool KTestKvantaHandler::activeSubWindow(const int64_t id)
{
    return id == 7;
}

int32_t KTestKvantaHandler::getCurrentVantaPageType(const int64_t wid)
{
    return -static_cast<int32_t>(wid);
}

int64_t KTestKvantaHandler::docBackup(const int64_t id, const std::string& fileName)
{
    return id * 2 + static_cast<int64_t>(fileName.size());
}

void KTestKvantaHandler::getStatisticsResult(std::string& _return, const int64_t id, const std::string& type)
{
    _return = type + "#" + std::to_string(id);
}

void KTestKvantaHandler::queryDocInfo(std::map<std::string, std::string>& _return, const int64_t id)
{
    if (id == 0)
        return; // an unknown document: an empty answer, still a valid one
    _return = {{"id", std::to_string(id)}, {"title", "Bericht \xc3\xbc.docx"}, {"empty", ""}};
}

void KTestKvantaHandler::transmitCommandline(const std::string& cmdline)
{
    QThread::msleep(static_cast<unsigned long>(voidDelayMs));
    lastCommandline = cmdline;
    commandlineDone.storeRelease(1);
}

void KTestKvantaHandler::openFiles(const int64_t mainWindowId, const std::vector<qox::kvanta::FileItem>& files)
{
    lastMainWindowId = mainWindowId;
    lastFiles = files;
}

bool KTestKvantaHandler::export2pdf(const int64_t id, const std::string& filePath)
{
    throw std::runtime_error("cannot export document " + std::to_string(id) + " to " + filePath);
}
