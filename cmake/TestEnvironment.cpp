// Linked into every test program: sets the variables the tests run under
// (offscreen Qt, messages on standard error, and any the test target names)
// before any test or static object of the program looks at them.
#include <cstdlib>
#include <string>

namespace {

bool applyTestEnvironment()
{
    const std::string all = KIRO_TEST_ENVIRONMENT;
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        const std::string entry = all.substr(start, end - start);
        const std::size_t eq = entry.find('=');
        if (eq != std::string::npos && eq > 0)
            ::setenv(entry.substr(0, eq).c_str(), entry.substr(eq + 1).c_str(), 1);
        start = end + 1;
    }
    return true;
}

[[maybe_unused]] const bool applied = applyTestEnvironment();

} // namespace
