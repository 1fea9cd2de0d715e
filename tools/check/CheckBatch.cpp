#include "tools/check/CheckBatch.h"

#include "tools/check/CheckController.h"
#include "tools/check/CheckTexts.h"

namespace kiro::check {

namespace {

class BatchView final : public CheckView {
public:
    BatchView(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    void setStatusText(const std::string& text) override
    {
        if (text == kDoneText) {
            m_out << text << '\n';
            m_out.flush();
        }
    }
    void setOkButton(const std::string&, bool) override {}
    void setCancelEnabled(bool) override {}
    void showProgress(int maximum) override
    {
        m_err << kCaption << ": " << maximum << " MIDI files\n";
        m_err.flush();
    }
    void advanceProgress() override {}
    void message(const std::string& text) override
    {
        m_err << kCaption << ": " << text << '\n';
        m_err.flush();
    }
    void endDialog(int result) override { m_result = result; }

    int result() const { return m_result; }

private:
    std::ostream& m_out;
    std::ostream& m_err;
    int m_result = 0;
};

} // namespace

int runBatch(const std::filesystem::path& installFolder, std::ostream& out, std::ostream& err)
{
    BatchView view(out, err);
    CheckController controller(installFolder, view);
    if (!controller.start())
        return 1;
    controller.okPressed();
    if (view.result() < 0 || controller.failed())
        return 1;
    return 0;
}

} // namespace kiro::check
