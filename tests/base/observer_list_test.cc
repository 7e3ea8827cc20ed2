#include "base/message_loop/observer_list.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace {

struct Observer {
  std::string name;
  std::function<void(Observer&)> on_notify;
};

class ObserverListTest : public testing::Test {
 protected:
  std::string Notify() {
    std::string seen;
    list_.ForEach([&seen](Observer& o) {
      seen += o.name;
      if (o.on_notify) o.on_notify(o);
    });
    return seen;
  }

  nbase::ObserverList<Observer> list_;
};

TEST_F(ObserverListTest, ObserversMayRemoveThemselvesAndOthersMidNotification) {
  Observer a{"a"}, b{"b"}, c{"c"}, d{"d"};
  b.on_notify = [this](Observer& self) { list_.RemoveObserver(&self); };
  c.on_notify = [this, &d](Observer& self) {
    list_.RemoveObserver(&d);
    self.on_notify = nullptr;
  };
  for (Observer* o : {&a, &b, &c, &d}) list_.AddObserver(o);

  EXPECT_EQ(Notify(), "abc");  // d was removed before its turn
  EXPECT_EQ(Notify(), "ac");
  EXPECT_FALSE(list_.HasObserver(&b));
  list_.AddObserver(&d);  // after compaction, d is appended once
  EXPECT_EQ(Notify(), "acd");
}

TEST_F(ObserverListTest, ObserversAddedMidNotificationAreReachedInTheSamePass) {
  Observer a{"a"}, b{"b"}, late{"x"};
  a.on_notify = [this, &late](Observer&) { list_.AddObserver(&late); };
  list_.AddObserver(&a);
  list_.AddObserver(&b);
  list_.AddObserver(&b);  // duplicates are ignored
  list_.AddObserver(nullptr);
  EXPECT_EQ(Notify(), "abx");
  EXPECT_EQ(Notify(), "abx");
}

TEST_F(ObserverListTest, RemovalInsideANestedNotificationWaitsForTheOuterOne) {
  Observer a{"a"}, b{"b"};
  std::string inner;
  bool nested = false;
  a.on_notify = [&](Observer&) {
    if (nested) return;
    nested = true;
    list_.RemoveObserver(&b);
    inner = Notify();  // nested pass skips the removed slot
  };
  list_.AddObserver(&a);
  list_.AddObserver(&b);
  EXPECT_EQ(Notify(), "a");
  EXPECT_EQ(inner, "a");
  list_.RemoveObserver(&a);
  EXPECT_EQ(Notify(), "");
}

}  // namespace
