// The delivery thread over a job that the test holds and releases: the
// caller never waits, only the newest waiting text is delivered, and finish
// lets the last texts through but never past its deadline.
#include "pipeline/delivery_thread.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "pipeline/answer_time_limit.h"

namespace tavrik {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Each delivery starts, then waits for a permit from the test (five seconds
// at most, so that a fault shows as a failure, not a hang).
class HeldJob : public ScriptDelivery {
 public:
  void deliverToEncoder(const ScriptText& script) override {
    const std::string text = script.isWide() ? "(wide)" : script.ansi();
    std::unique_lock<std::mutex> lock(mutex_);
    started_.push_back(text);
    threads_.push_back(std::this_thread::get_id());
    changed_.notify_all();
    if (changed_.wait_for(lock, 5s, [this] { return permits_ > 0; })) --permits_;
    delivered_.push_back(text);
    if (text == failingText) throw std::runtime_error("the encoder went away");
  }
  void release(int permits) {
    std::lock_guard<std::mutex> lock(mutex_);
    permits_ += permits;
    changed_.notify_all();
  }
  bool waitUntilStarted(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, 5s, [&] { return started_.size() >= count; });
  }
  std::vector<std::string> started() {
    std::lock_guard<std::mutex> lock(mutex_);
    return started_;
  }
  std::vector<std::string> delivered() {
    std::lock_guard<std::mutex> lock(mutex_);
    return delivered_;
  }
  std::vector<std::thread::id> threads() {
    std::lock_guard<std::mutex> lock(mutex_);
    return threads_;
  }
  std::string failingText;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int permits_ = 0;
  std::vector<std::string> started_, delivered_;
  std::vector<std::thread::id> threads_;
};

TEST(DeliveryThread, TheCallerNeverWaitsAndOnlyTheNewestWaitingTextFollows) {
  HeldJob job;
  DeliveryThread delivery(job);
  delivery.deliverToEncoder("before start");
  delivery.start();
  delivery.deliverToEncoder("one");
  ASSERT_TRUE(job.waitUntilStarted(1));
  // "one" is held by the encoder: these return at once and replace each other.
  delivery.deliverToEncoder("two");
  delivery.deliverToEncoder("three");
  delivery.deliverToEncoder("four");
  EXPECT_EQ(job.started(), std::vector<std::string>{"one"});
  job.release(10);
  delivery.finish(Clock::now() + 5s);
  EXPECT_EQ(job.delivered(), (std::vector<std::string>{"one", "four"}));
  for (std::thread::id id : job.threads()) EXPECT_NE(id, std::this_thread::get_id());
}

TEST(DeliveryThread, FinishLetsTheRunningAndTheWaitingTextThroughThenTakesNoMore) {
  HeldJob job;
  DeliveryThread delivery(job);
  delivery.start();
  delivery.deliverToEncoder("older");
  ASSERT_TRUE(job.waitUntilStarted(1));
  delivery.deliverToEncoder("newer");
  std::thread encoder([&] {
    std::this_thread::sleep_for(50ms);
    job.release(2);
  });
  delivery.finish(Clock::now() + 5s);
  encoder.join();
  EXPECT_EQ(job.delivered(), (std::vector<std::string>{"older", "newer"}));
  delivery.deliverToEncoder("after quit");
  EXPECT_EQ(job.started().size(), 2u);
}

TEST(DeliveryThread, AtTheDeadlineAWaitingTextIsDroppedAndTheRunningOneAwaited) {
  HeldJob job;
  DeliveryThread delivery(job);
  delivery.start();
  delivery.deliverToEncoder("running");
  ASSERT_TRUE(job.waitUntilStarted(1));
  delivery.deliverToEncoder("waiting");
  const Clock::time_point deadline = Clock::now() + 100ms;
  // The running delivery gives up only well after the deadline.
  std::thread encoder([&] {
    std::this_thread::sleep_until(deadline + 200ms);
    job.release(2);
  });
  delivery.finish(deadline);
  EXPECT_GE(Clock::now(), deadline + 200ms) << "the thread was joined, not left running";
  encoder.join();
  EXPECT_EQ(job.delivered(), std::vector<std::string>{"running"});
}

TEST(DeliveryThread, AFailedDeliveryEndsOnlyItsOwnText) {
  HeldJob job;
  job.failingText = "bad";
  job.release(10);
  DeliveryThread delivery(job);
  delivery.start();
  delivery.deliverToEncoder("bad");
  ASSERT_TRUE(job.waitUntilStarted(1));
  delivery.deliverToEncoder("good");
  delivery.finish(Clock::now() + 5s);
  EXPECT_EQ(job.delivered(), (std::vector<std::string>{"bad", "good"}));
}

TEST(AnswerTimeLimit, TheUsualWaitShortenedToTheDeadlineAndNoneAfterIt) {
  AnswerTimeLimit limit(1000ms);
  const Clock::time_point now = Clock::now();
  EXPECT_EQ(limit.forMessageSentAt(now), 1000ms);
  limit.endBy(now + 1500ms);
  EXPECT_EQ(limit.forMessageSentAt(now), 1000ms);
  EXPECT_EQ(limit.forMessageSentAt(now + 1200ms), 300ms);
  EXPECT_EQ(limit.forMessageSentAt(now + 1500ms), 0ms);
  EXPECT_EQ(limit.forMessageSentAt(now + 5s), 0ms);
}

}  // namespace
}  // namespace tavrik
