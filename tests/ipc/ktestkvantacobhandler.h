#ifndef KZEMBA_TESTS_KTESTKVANTACOBHANDLER_H
#define KZEMBA_TESTS_KTESTKVANTACOBHANDLER_H

#include "ktestkvantahandler.h"

/// The callback-style face of KTestKvantaHandler for the asynchronous processor: the same
/// answers, handed to the processor's continuation instead of returned.
class KTestKvantaCobHandler : public qox::kvanta::kvantaservicesCobSvNull
{
public:
    explicit KTestKvantaCobHandler(std::shared_ptr<KTestKvantaHandler> handler);

    void activeSubWindow(std::function<void(const bool& _return)> cob, const int64_t id) override;
    void getStatisticsResult(std::function<void(const std::string& _return)> cob, const int64_t id,
                             const std::string& type) override;
    void queryDocInfo(std::function<void(const std::map<std::string, std::string>& _return)> cob,
                      const int64_t id) override;
    void transmitCommandline(std::function<void()> cob, const std::string& cmdline) override;

private:
    std::shared_ptr<KTestKvantaHandler> m_handler;
};

#endif
