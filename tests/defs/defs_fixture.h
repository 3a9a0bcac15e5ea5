// The fixture of the definition tests: a fresh definition context, the logs in a temporary
// folder, and reading and writing record bodies through real record files.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "core/save_record.h"
#include "defs/def_context.h"
#include "support/temp_dir.h"

class DefsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes a record file of the data version holding body, opens it and runs read on the
  // stream. Returns the number of bytes read leaves unread, or -1 when the stream failed.
  long long ReadFile(int version, const std::string& body, const std::function<void(FILE*)>& read);
  template <class R>
  long long Load(R& rec, int version, const std::string& body) {
    return ReadFile(version, body, [&](FILE* fp) { rec.Load(fp); });
  }
  // The bytes that write puts after the data version of a record file.
  std::string WriteFile(const std::function<void(FILE*)>& write);
  template <class R>
  std::string Save(R& rec) {
    return WriteFile([&](FILE* fp) { rec.Save(fp); });
  }

  // The version gates of a record against the layout of its byte builder: at both versions of
  // every pair of LayoutGateVersions from `first` to the current version, a record made by
  // `make` registers as many fields as the body stores and reads the body to its end.
  void ExpectGatesOfLayout(const std::function<std::unique_ptr<cSaveRecord>()>& make,
                           const std::function<std::string(int)>& bodyOf, int first = 100);

  CoreTestEnv env;
};
