#ifndef KZEMBA_TESTS_KTESTASYNCCHANNEL_H
#define KZEMBA_TESTS_KTESTASYNCCHANNEL_H

#include <thrift/TProcessor.h>
#include <thrift/async/TAsyncChannel.h>
#include <thrift/async/TAsyncProcessor.h>

#include <QObject>

#include <deque>
#include <memory>
#include <string>

/// An asynchronous channel that never leaves the process: a sent message is handed to an
/// asynchronous processor on a later turn of the event loop, and its reply is what the next
/// receive gets. Nothing completes inside the call that sends.
class KTestAsyncChannel : public QObject, public apache::thrift::async::TAsyncChannel
{
    Q_OBJECT
public:
    explicit KTestAsyncChannel(std::shared_ptr<apache::thrift::async::TAsyncProcessor> processor,
                               QObject* parent = nullptr);

    bool good() const override { return !m_error; }
    bool error() const override { return m_error; }
    bool timedOut() const override { return false; }

    void sendMessage(const VoidCallback& cob, apache::thrift::transport::TMemoryBuffer* message) override;
    void recvMessage(const VoidCallback& cob, apache::thrift::transport::TMemoryBuffer* message) override;

    int messagesSent() const { return m_sent; }

private:
    std::shared_ptr<apache::thrift::async::TAsyncProcessor> m_processor;
    std::deque<std::string> m_replies;
    int m_sent = 0;
    bool m_error = false;
};

#endif
