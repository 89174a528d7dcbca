// The fixture of the settings services' tests: a simulator speaking ONVIF on loopback with its
// clock sped up, and calls to each device's services with the default account.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "onvif_test_client.h"
#include "sim/simulator.h"

namespace onvif_test {

constexpr double kSettingsScale = 20;

class OnvifSettingsTest : public ::testing::Test {
 protected:
  void Start(const std::string& scenario) {
    m_sim = std::make_unique<camsim::Simulator>(Parse(scenario), camsim::Protocol::kOnvif);
    m_sim->SetTimeScale(kSettingsScale);
    std::string error;
    ASSERT_TRUE(m_sim->Start("127.0.0.1:0", &error)) << error;
  }
  // One call to a service of the device at ip, with the default account.
  HttpReply Call(const std::string& ip, const std::string& service, const std::string& body) {
    auto [found, inserted] = m_callers.try_emplace(ip, m_sim->Port(), ip);
    const auto reply = found->second.Call(body, {}, service);
    EXPECT_TRUE(reply) << service << " did not answer " << body;
    return reply.value_or(HttpReply{});
  }
  std::vector<camsim::JournalEntry> Journal(const std::string& serial, std::uint32_t code) {
    return m_sim->GetJournal().Find(serial, code);
  }
  // The main or sub encoder through media2, its values in Set's order.
  std::string Media2EncoderNow(const std::string& ip, const std::string& token) {
    const HttpReply reply =
        Call(ip, "media2_service",
             "<tr2:GetVideoEncoderConfigurations><tr2:ConfigurationToken>" + token +
                 "</tr2:ConfigurationToken></tr2:GetVideoEncoderConfigurations>");
    return reply.Value(onvif::kNsSchema, "Encoding") + " " +
           reply.Value(onvif::kNsSchema, "Width") + "x" + reply.Value(onvif::kNsSchema, "Height") +
           " fps=" + reply.Value(onvif::kNsSchema, "FrameRateLimit") +
           " kbps=" + reply.Value(onvif::kNsSchema, "BitrateLimit") +
           " gov=" + reply.AttributeOf(onvif::kNsMedia2, "Configurations", "GovLength") + " " +
           reply.AttributeOf(onvif::kNsMedia2, "Configurations", "Profile") +
           " cbr=" + reply.AttributeOf(onvif::kNsSchema, "RateControl", "ConstantBitRate");
  }

  std::unique_ptr<camsim::Simulator> m_sim;
  std::map<std::string, OnvifCaller> m_callers;
};

}  // namespace onvif_test
