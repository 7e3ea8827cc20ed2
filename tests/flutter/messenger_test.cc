// Channels between the host and the scripted Dart side, through the engine library and the client
// wrapper, with the test's main thread as the platform thread.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "flutter/dart_project.h"
#include "flutter/event_channel.h"
#include "flutter/event_stream_handler_functions.h"
#include "flutter/flutter_engine.h"
#include "flutter/method_channel.h"
#include "flutter/method_result_functions.h"
#include "flutter/plugin_registrar_windows.h"
#include "flutter/standard_method_codec.h"
#include "tests/support/engine_output.h"
#include "tests/support/message_pump.h"

namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;
using flutter::MethodCall;
using flutter::MethodResult;
using test_support::OutputRecorder;
using test_support::PumpMessagesUntil;
using test_support::ScopedScenario;
using Channel = flutter::MethodChannel<EncodableValue>;

const flutter::StandardMethodCodec& Codec() { return flutter::StandardMethodCodec::GetInstance(); }

class MessengerTest : public ::testing::Test {
 protected:
  void StartEngine(const std::string& script, std::vector<std::string> arguments = {}) {
    scenario_ = std::make_unique<ScopedScenario>(script);
    flutter::DartProject project(L"data");
    project.set_dart_entrypoint_arguments(std::move(arguments));
    engine_ = std::make_unique<flutter::FlutterEngine>(project);
    ASSERT_TRUE(engine_->Run());
  }

  std::unique_ptr<Channel> MakeChannel(const std::string& name) {
    return std::make_unique<Channel>(engine_->messenger(), name, &Codec());
  }

  OutputRecorder output_;  // First: outlives the engine.
  std::unique_ptr<ScopedScenario> scenario_;
  std::unique_ptr<flutter::FlutterEngine> engine_;
};

TEST_F(MessengerTest, CallsArriveOnThePlatformThreadOnlyFromItsMessageLoop) {
  StartEngine("call test/ch ping {\"n\": 1}\nwait reply\necho end\n");
  auto channel = MakeChannel("test/ch");
  std::vector<DWORD> handler_threads;
  channel->SetMethodCallHandler([&](const MethodCall<EncodableValue>& call,
                                    std::unique_ptr<MethodResult<EncodableValue>> result) {
    handler_threads.push_back(GetCurrentThreadId());
    EXPECT_EQ(call.method_name(), "ping");
    result->Success(EncodableValue("pong"));
  });

  // Wait, without dispatching, until the engine's work message is queued for this thread.
  MSG message;
  const auto deadline = GetTickCount64() + 10000;
  while (!PeekMessageW(&message, nullptr, WM_APP, 0xBFFF, PM_NOREMOVE) &&
         GetTickCount64() < deadline) {
    MsgWaitForMultipleObjectsEx(0, nullptr, 100, QS_POSTMESSAGE, 0);
  }
  EXPECT_TRUE(handler_threads.empty()) << "delivered without the message loop";

  ASSERT_TRUE(output_.WaitFor("[dart] echo end"));
  ASSERT_EQ(handler_threads.size(), 1u);
  EXPECT_EQ(handler_threads[0], GetCurrentThreadId());
  EXPECT_TRUE(output_.Has("[dart] reply 1 test/ch ping success \"pong\""));
}

TEST_F(MessengerTest, EachCallIsAnsweredExactlyOnce) {
  StartEngine(
      "call test/ch twice\n"
      "call test/ch dropped\n"
      "call raw/ch twice\n"
      "call test/ch marker\n"
      "wait reply\n"
      "echo end\n");
  auto channel = MakeChannel("test/ch");
  channel->SetMethodCallHandler([](const MethodCall<EncodableValue>& call,
                                   std::unique_ptr<MethodResult<EncodableValue>> result) {
    if (call.method_name() == "twice") {
      result->Success(EncodableValue(1));
      result->Success(EncodableValue(2));
      result->Error("late", "refused");
    } else if (call.method_name() == "marker") {
      result->Success();
    }
    // "dropped": the result goes out of scope without a reply.
  });
  // Below the wrapper: the engine itself refuses a second response for one message.
  struct Raw {
    static void OnMessage(FlutterDesktopMessengerRef messenger,
                          const FlutterDesktopMessage* message, void*) {
      const auto ok = Codec().EncodeSuccessEnvelope();
      FlutterDesktopMessengerSendResponse(messenger, message->response_handle, ok->data(),
                                          ok->size());
      FlutterDesktopMessengerSendResponse(messenger, message->response_handle, ok->data(),
                                          ok->size());
    }
  };
  FlutterDesktopMessengerSetCallback(
      FlutterDesktopPluginRegistrarGetMessenger(engine_->GetRegistrarForPlugin("raw")), "raw/ch",
      &Raw::OnMessage, nullptr);

  ASSERT_TRUE(output_.WaitFor("[dart] echo end"));
  EXPECT_EQ(output_.CountContaining("[dart] reply 1 "), 1u);
  EXPECT_TRUE(output_.Has("[dart] reply 1 test/ch twice success 1"));
  EXPECT_TRUE(output_.Has("[dart] reply 2 test/ch dropped notImplemented"));
  EXPECT_EQ(output_.CountContaining("[dart] reply 3 "), 1u);
  EXPECT_TRUE(output_.Has("[dart] reply 3 raw/ch twice success null"));
  EXPECT_EQ(output_.CountContaining("a response was sent twice"), 1u);
}

TEST_F(MessengerTest, HandlersNeverRunNestedInsideEachOther) {
  StartEngine(
      "listen test/ev\n"
      "wait reply\n"
      "call test/ch first\n"
      "wait event test/ev\n"
      "call test/ch second\n"
      "echo second sent\n"
      "wait reply\n"
      "echo end\n");
  auto channel = MakeChannel("test/ch");
  flutter::BinaryMessenger* messenger = engine_->messenger();
  messenger->SetMessageHandler("test/ev", [](const uint8_t*, size_t, flutter::BinaryReply reply) {
    const auto ok = Codec().EncodeSuccessEnvelope();
    reply(ok->data(), ok->size());
  });
  int depth = 0;
  int max_depth = 0;
  std::vector<std::string> order;
  channel->SetMethodCallHandler([&](const MethodCall<EncodableValue>& call,
                                    std::unique_ptr<MethodResult<EncodableValue>> result) {
    ++depth;
    max_depth = std::max(max_depth, depth);
    order.push_back("start " + call.method_name());
    if (call.method_name() == "first") {
      const EncodableValue event("go");
      const auto envelope = Codec().EncodeSuccessEnvelope(&event);
      messenger->Send("test/ev", envelope->data(), envelope->size());
      // A nested loop dispatches the engine's work message for "second"; it must wait.
      EXPECT_TRUE(PumpMessagesUntil([&] { return output_.Has("[dart] echo second sent"); }));
    }
    order.push_back("end " + call.method_name());
    --depth;
    result->Success();
  });

  ASSERT_TRUE(output_.WaitFor("[dart] echo end"));
  EXPECT_EQ(max_depth, 1);
  EXPECT_EQ(order, (std::vector<std::string>{"start first", "end first", "start second",
                                             "end second"}));
}

TEST_F(MessengerTest, ARemovedHandlerGetsNoMoreCalls) {
  StartEngine(
      "call test/ch one\n"
      "wait reply\n"
      "call test/ch two\n"
      "wait reply\n"
      "echo end\n");
  auto channel = MakeChannel("test/ch");
  int calls = 0;
  channel->SetMethodCallHandler([&](const MethodCall<EncodableValue>&,
                                    std::unique_ptr<MethodResult<EncodableValue>> result) {
    ++calls;
    channel->SetMethodCallHandler(nullptr);  // Removes itself while running.
    result->Success();
  });
  ASSERT_TRUE(output_.WaitFor("[dart] echo end"));
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(output_.Has("[dart] reply 1 test/ch one success null"));
  EXPECT_TRUE(output_.Has("[dart] reply 3 test/ch two notImplemented"));
}

TEST_F(MessengerTest, AHandlerThatThrowsIsAnsweredAndLaterCallsStillArrive) {
  StartEngine(
      "call test/ch boom\n"
      "wait reply\n"
      "call test/ch fine\n"
      "wait reply\n"
      "echo end\n");
  auto channel = MakeChannel("test/ch");
  channel->SetMethodCallHandler([](const MethodCall<EncodableValue>& call,
                                   std::unique_ptr<MethodResult<EncodableValue>> result) {
    if (call.method_name() == "boom") throw std::runtime_error("handler failed");
    result->Success();
  });
  bool escaped = false;
  try {
    ASSERT_TRUE(output_.WaitFor("[dart] echo end"));
  } catch (...) {
    escaped = true;
  }
  EXPECT_FALSE(escaped) << "the exception came out of the platform thread's message loop";
  // The unanswered result answers as it goes, so the Dart side is not left waiting.
  EXPECT_TRUE(output_.Has("[dart] reply 1 test/ch boom notImplemented"));
  EXPECT_TRUE(output_.Has("[dart] reply 3 test/ch fine success null"));
  EXPECT_EQ(output_.CountContaining("handler failed"), 1u);
}

TEST_F(MessengerTest, ARawHandlerThatThrowsBeforeReplyingIsAnsweredEmpty) {
  StartEngine(
      "sendbytes test/raw 01\n"
      "wait reply 5000\n"
      "sendbytes test/raw 02\n"
      "wait reply 5000\n"
      "echo end\n");
  engine_->messenger()->SetMessageHandler(
      "test/raw", [](const uint8_t* bytes, size_t size, flutter::BinaryReply reply) {
        if (size == 1 && bytes[0] == 1) throw std::runtime_error("raw handler failed");
        reply(bytes, size);
      });
  ASSERT_TRUE(output_.WaitFor("[dart] echo end"));
  EXPECT_EQ(output_.CountContaining("timeout"), 0u) << "the Dart side was left waiting";
  EXPECT_TRUE(output_.Has("[dart] reply 1 test/raw - empty"));
  EXPECT_TRUE(output_.Has("[dart] reply 3 test/raw - value false"));
  EXPECT_EQ(output_.CountContaining("raw handler failed"), 1u);
}

TEST_F(MessengerTest, UndecodableCallsGetAnEmptyReplyWithoutReachingTheHandler) {
  StartEngine("sendbytes test/ch ff 00\nwait reply\necho end\n");
  auto channel = MakeChannel("test/ch");
  int calls = 0;
  channel->SetMethodCallHandler(
      [&](const MethodCall<EncodableValue>&, std::unique_ptr<MethodResult<EncodableValue>> r) {
        ++calls;
        r->Success();
      });
  ASSERT_TRUE(output_.WaitFor("[dart] echo end"));
  EXPECT_EQ(calls, 0);
  EXPECT_TRUE(output_.Has("[dart] reply 1 test/ch - empty"));
}

// The event-channel protocol as a plug-in speaks it: "listen" and "cancel" method calls, events as
// success envelopes sent without reply.
TEST_F(MessengerTest, EventChannelEventsArriveInOrderAroundListenAndCancel) {
  StartEngine(
      "listen test/events {\"from\": \"dart\"}\n"
      "wait event test/events 10000 early-2\n"
      "call test/ch raise\n"
      "wait event test/events 10000 later\n"
      "cancel test/events\n"
      "wait reply\n"
      "call test/ch raise\n"
      "wait reply\n"
      "echo end\n");
  flutter::BinaryMessenger* messenger = engine_->messenger();
  auto send_event = [messenger](const std::string& name) {
    const EncodableValue event(EncodableMap{{EncodableValue("event"), EncodableValue(name)}});
    const auto envelope = Codec().EncodeSuccessEnvelope(&event);
    messenger->Send("test/events", envelope->data(), envelope->size());
  };
  std::vector<EncodableValue> listen_arguments;
  messenger->SetMessageHandler(
      "test/events", [&](const uint8_t* bytes, size_t size, flutter::BinaryReply reply) {
        auto call = Codec().DecodeMethodCall(bytes, size);
        ASSERT_NE(call, nullptr);
        if (call->method_name() == "listen") {
          listen_arguments.push_back(*call->arguments());
          // Events raised before the subscription go out first, then the reply.
          send_event("early-1");
          send_event("early-2");
        }
        const auto ok = Codec().EncodeSuccessEnvelope();
        reply(ok->data(), ok->size());
      });
  auto channel = MakeChannel("test/ch");
  channel->SetMethodCallHandler([&](const MethodCall<EncodableValue>&,
                                    std::unique_ptr<MethodResult<EncodableValue>> result) {
    send_event("later");
    result->Success();
  });

  ASSERT_TRUE(output_.WaitFor("[dart] echo end"));
  const std::vector<std::string> lines = output_.Lines();
  std::vector<std::string> seen;
  for (const std::string& line : lines) {
    if (line.find("test/events") != std::string::npos) seen.push_back(line);
  }
  const std::vector<std::string> expected = {
      "[dart] event test/events {\"event\": \"early-1\"}",
      "[dart] event test/events {\"event\": \"early-2\"}",
      "[dart] reply 1 test/events listen success null",
      "[dart] event test/events {\"event\": \"later\"}",
      "[dart] reply 5 test/events cancel success null",
      "[dart] unhandled test/events 17 bytes",
  };
  EXPECT_EQ(seen, expected);
  ASSERT_EQ(listen_arguments.size(), 1u);
  EXPECT_EQ(listen_arguments[0],
            EncodableValue(EncodableMap{{EncodableValue("from"), EncodableValue("dart")}}));
}

TEST_F(MessengerTest, EventChannelSubscriptionsFollowListenAndCancel) {
  StartEngine(
      "cancel test/stream\n"
      "wait reply\n"
      "listen test/stream {\"refuse\": true}\n"
      "wait reply\n"
      "listen test/stream 5\n"
      "wait event test/stream 10000 end\n"
      "cancel test/stream 6\n"
      "wait reply\n"
      "echo end\n");
  flutter::EventChannel<> channel(engine_->messenger(), "test/stream", &Codec());
  std::vector<std::string> calls;
  channel.SetStreamHandler(std::make_unique<flutter::StreamHandlerFunctions<>>(
      [&](const EncodableValue* arguments, std::unique_ptr<flutter::EventSink<>>&& events)
          -> std::unique_ptr<flutter::StreamHandlerError<>> {
        calls.push_back("listen " + std::to_string(arguments->index()));
        if (std::holds_alternative<EncodableMap>(*arguments)) {
          return std::make_unique<flutter::StreamHandlerError<>>(
              "refused", "not now", std::make_unique<EncodableValue>(1));
        }
        events->Success(EncodableValue("first"));
        events->Error("E1", "broken", EncodableValue(2));
        events->Success();
        events->EndOfStream();
        return nullptr;
      },
      [&](const EncodableValue* arguments) -> std::unique_ptr<flutter::StreamHandlerError<>> {
        calls.push_back("cancel " + std::to_string(std::get<int32_t>(*arguments)));
        return nullptr;
      }));

  ASSERT_TRUE(output_.WaitFor("[dart] echo end"));
  EXPECT_EQ(calls, (std::vector<std::string>{"listen 11", "listen 2", "cancel 6"}));
  std::vector<std::string> seen;
  for (const std::string& line : output_.Lines()) {
    if (line.find("test/stream") != std::string::npos) seen.push_back(line);
  }
  const std::vector<std::string> expected = {
      "[dart] reply 1 test/stream cancel error \"error\" \"No active stream to cancel\" null",
      "[dart] reply 3 test/stream listen error \"refused\" \"not now\" 1",
      "[dart] event test/stream \"first\"",
      "[dart] event-error test/stream \"E1\" \"broken\" 2",
      "[dart] event test/stream null",
      "[dart] event-end test/stream",
      "[dart] reply 5 test/stream listen success null",
      "[dart] reply 7 test/stream cancel success null",
  };
  EXPECT_EQ(seen, expected);
}

TEST_F(MessengerTest, HostCallsToDartGetTheirReplyOnThePlatformThread) {
  StartEngine("echo ready\n");
  ASSERT_TRUE(output_.WaitFor("[dart] echo ready"));
  auto channel = MakeChannel("dart/nobody");
  std::vector<DWORD> reply_threads;
  channel->InvokeMethod(
      "hello", std::make_unique<EncodableValue>(1),
      std::make_unique<flutter::MethodResultFunctions<EncodableValue>>(
          nullptr, nullptr, [&] { reply_threads.push_back(GetCurrentThreadId()); }));
  EXPECT_TRUE(reply_threads.empty()) << "answered inside the send";
  ASSERT_TRUE(PumpMessagesUntil([&] { return !reply_threads.empty(); }));
  EXPECT_EQ(reply_threads, std::vector<DWORD>{GetCurrentThreadId()});
  EXPECT_EQ(output_.CountContaining("[dart] unhandled dart/nobody "), 1u);
}

TEST_F(MessengerTest, ShutdownAnswersOwedRepliesAndLateResponsesAreIgnored) {
  StartEngine("call test/ch keep\necho called\n");
  auto channel = MakeChannel("test/ch");
  std::unique_ptr<MethodResult<EncodableValue>> kept;
  channel->SetMethodCallHandler([&](const MethodCall<EncodableValue>&,
                                    std::unique_ptr<MethodResult<EncodableValue>> result) {
    kept = std::move(result);
  });
  ASSERT_TRUE(PumpMessagesUntil([&] { return kept != nullptr; }));

  int not_implemented = 0;
  channel->InvokeMethod("owed", nullptr,
                        std::make_unique<flutter::MethodResultFunctions<EncodableValue>>(
                            nullptr, nullptr, [&] { ++not_implemented; }));
  FlutterDesktopMessengerRef messenger =
      FlutterDesktopMessengerAddRef(FlutterDesktopPluginRegistrarGetMessenger(
          engine_->GetRegistrarForPlugin("late")));
  EXPECT_TRUE(FlutterDesktopMessengerIsAvailable(messenger));

  engine_.reset();  // Dart's answer to "owed" has not been dispatched yet.
  EXPECT_EQ(not_implemented, 1);
  EXPECT_FALSE(FlutterDesktopMessengerIsAvailable(messenger));
  // A worker thread answering after the engine is gone must do no harm.
  std::thread late([&] { kept->Success(); });
  late.join();
  const auto bytes = Codec().EncodeSuccessEnvelope();
  EXPECT_FALSE(FlutterDesktopMessengerSend(messenger, "test/ch", bytes->data(), bytes->size()));
  FlutterDesktopMessengerRelease(messenger);
}

TEST_F(MessengerTest, AHandlerMayShutTheEngineDown) {
  StartEngine("call test/ch quit\ncall test/ch after\n");
  auto channel = MakeChannel("test/ch");
  std::vector<std::string> calls;
  channel->SetMethodCallHandler([&](const MethodCall<EncodableValue>& call,
                                    std::unique_ptr<MethodResult<EncodableValue>> result) {
    calls.push_back(call.method_name());
    result->Success();
    engine_.reset();  // As a host window destroyed from inside a handler would.
  });
  ASSERT_TRUE(PumpMessagesUntil([&] { return engine_ == nullptr; }));
  // With the engine gone nothing posts any more: what is queued now is all there will be.
  PumpMessagesUntil([] { return true; });
  EXPECT_EQ(calls, std::vector<std::string>{"quit"});
}

TEST_F(MessengerTest, SendsFromOtherThreadsAreReported) {
  StartEngine("listen test/ev\nwait reply\necho ready\n");
  ASSERT_TRUE(output_.WaitFor("[dart] echo ready"));
  flutter::BinaryMessenger* messenger = engine_->messenger();
  const auto envelope = Codec().EncodeSuccessEnvelope();
  std::thread worker([&] { messenger->Send("test/ev", envelope->data(), envelope->size()); });
  worker.join();
  EXPECT_TRUE(output_.Has(
      "[engine] warning: a message on channel \"test/ev\" was sent from a thread other than the "
      "platform thread"));
  // Delivered all the same.
  ASSERT_TRUE(output_.WaitFor("[dart] event test/ev null"));
}

TEST_F(MessengerTest, RegistrarsAreSharedByNameAndDestroyedBeforeTheEngine) {
  StartEngine("call plugin/ch hi\nwait reply\necho end\n");
  EXPECT_EQ(engine_->GetRegistrarForPlugin("fernhold_swplay"),
            engine_->GetRegistrarForPlugin("fernhold_swplay"));
  EXPECT_NE(engine_->GetRegistrarForPlugin("fernhold_swplay"),
            engine_->GetRegistrarForPlugin("other"));

  struct Plugin : flutter::Plugin {
    Plugin(flutter::PluginRegistrarWindows* registrar, bool* destroyed_with_messenger)
        : registrar(registrar), destroyed_with_messenger(destroyed_with_messenger) {
      channel = std::make_unique<Channel>(registrar->messenger(), "plugin/ch", &Codec());
      channel->SetMethodCallHandler(
          [](const MethodCall<EncodableValue>&, std::unique_ptr<MethodResult<EncodableValue>> r) {
            r->Success(EncodableValue("from plugin"));
          });
    }
    ~Plugin() override {
      // The messenger still works while plug-ins are destroyed.
      *destroyed_with_messenger = FlutterDesktopMessengerIsAvailable(
          FlutterDesktopPluginRegistrarGetMessenger(core));
      channel->SetMethodCallHandler(nullptr);
    }
    flutter::PluginRegistrarWindows* registrar;
    bool* destroyed_with_messenger;
    FlutterDesktopPluginRegistrarRef core = nullptr;
    std::unique_ptr<Channel> channel;
  };
  bool destroyed_with_messenger = false;
  FlutterDesktopPluginRegistrarRef core = engine_->GetRegistrarForPlugin("plugin");
  auto* registrar = flutter::PluginRegistrarManager::GetInstance()
                        ->GetRegistrar<flutter::PluginRegistrarWindows>(core);
  EXPECT_EQ(registrar, flutter::PluginRegistrarManager::GetInstance()
                           ->GetRegistrar<flutter::PluginRegistrarWindows>(core));
  EXPECT_EQ(registrar->GetView(), nullptr);  // Headless.
  auto plugin = std::make_unique<Plugin>(registrar, &destroyed_with_messenger);
  plugin->core = core;
  registrar->AddPlugin(std::move(plugin));

  ASSERT_TRUE(output_.WaitFor("[dart] echo end"));
  EXPECT_TRUE(output_.Has("[dart] reply 1 plugin/ch hi success \"from plugin\""));
  engine_.reset();
  EXPECT_TRUE(destroyed_with_messenger);
}

TEST_F(MessengerTest, EntryPointArgumentsReachTheDartSide) {
  StartEngine("echo ready\n", {"--server", "a b", "\xE4\xBD\xA0"});
  ASSERT_TRUE(output_.WaitFor("[dart] echo ready"));
  EXPECT_TRUE(output_.Has("[dart] args [\"--server\", \"a b\", \"\xE4\xBD\xA0\"]"));
  EXPECT_TRUE(output_.Has("[dart] entrypoint main"));
}

TEST(EngineRunTest, AMissingProjectFolderFailsToRun) {
  OutputRecorder output;
  flutter::FlutterEngine engine(flutter::DartProject(L"no_such_project"));
  EXPECT_FALSE(engine.Run());
  EXPECT_EQ(output.CountContaining("no_such_project\\flutter_assets\" does not exist"), 1u);
}

}  // namespace
