#include "ktestkvantacobhandler.h"

KTestKvantaCobHandler::KTestKvantaCobHandler(std::shared_ptr<KTestKvantaHandler> handler)
    : m_handler(std::move(handler))
{
}

void KTestKvantaCobHandler::activeSubWindow(std::function<void(const bool& _return)> cob, const int64_t id)
{
    cob(m_handler->activeSubWindow(id));
}

void KTestKvantaCobHandler::getStatisticsResult(std::function<void(const std::string& _return)> cob,
                                                const int64_t id, const std::string& type)
{
    std::string result;
    m_handler->getStatisticsResult(result, id, type);
    cob(result);
}

void KTestKvantaCobHandler::queryDocInfo(std::function<void(const std::map<std::string, std::string>& _return)> cob,
                                         const int64_t id)
{
    std::map<std::string, std::string> result;
    m_handler->queryDocInfo(result, id);
    cob(result);
}

void KTestKvantaCobHandler::transmitCommandline(std::function<void()> cob, const std::string& cmdline)
{
    m_handler->transmitCommandline(cmdline);
    cob();
}
