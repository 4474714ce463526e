// Where the tests find the deliverables they drive: test programs live in build/<preset>/tests/,
// the artifacts one folder up. Works the same natively and under Wine.
#pragma once

#include <string>

namespace QentTest {

// Folder of the running test program, with a trailing separator.
std::string testProgramDir();
// Full path of an artifact in the build folder, e.g. artifactPath("qentlink.hox3").
std::string artifactPath(const std::string& name);
// Full path of a file in the test program's own folder, e.g. a stand-in plug-in.
std::string testFilePath(const std::string& name);
// The platform's executable suffix: ".exe" on Windows, empty elsewhere.
const char* exeSuffix();

}  // namespace QentTest
