#include "tools/kiro-link/JobScript.h"

#include "common/Cp932.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kiro::link {

namespace {

constexpr std::uint32_t kMaxCaptureSize = 64000;

std::string text(const QJsonValue &value) { return value.toString().toStdString(); }

} // namespace

const char *JobScript::keep(std::string text)
{
    m_texts.push_back(std::move(text));
    return m_texts.back().c_str();
}

std::optional<JobScript> JobScript::fromFile(const std::string &path, std::string &error)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    return fromJson(file.readAll().toStdString(), error);
}

std::optional<JobScript> JobScript::fromJson(const std::string &json, std::string &error)
{
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &parseError);
    if (doc.isNull()) {
        error = "not JSON: " + parseError.errorString().toStdString();
        return std::nullopt;
    }
    if (!doc.isObject() || !doc.object().value("steps").isArray()) {
        error = "the script needs a \"steps\" array";
        return std::nullopt;
    }
    JobScript script;
    const QJsonArray steps = doc.object().value("steps").toArray();
    int index = 0;
    for (const QJsonValue &value : steps) {
        const std::string where = "step " + std::to_string(index++) + ": ";
        if (!value.isObject()) {
            error = where + "not an object";
            return std::nullopt;
        }
        const QJsonObject o = value.toObject();
        online::ScriptStep step;
        const int kind = o.value("kind").toInt(0);
        if (kind < 0 || kind > 255) {
            error = where + "kind must be 0 to 255";
            return std::nullopt;
        }
        step.kindAndFlags = static_cast<std::uint32_t>(kind);
        if (o.value("timeout").toBool(false))
            step.kindAndFlags |= online::kStepTimeOut;
        if (o.value("pause").toBool(false))
            step.kindAndFlags |= online::kStepPause;
        step.matchAtOnce = o.value("atOnce").toBool(false) ? 1 : 0;

        const std::string send = text(o.value("send"));
        if (kind == online::kStepTransfer) {
            step.command = script.keep(send);
        } else {
            auto line = cp932::tryFromUtf8(send);
            if (!line) {
                error = where + "\"send\" has no code page 932 form";
                return std::nullopt;
            }
            step.command = script.keep(*line);
        }

        const QJsonArray outcomes = o.value("outcomes").toArray();
        if (outcomes.size() > static_cast<qsizetype>(online::kStepOutcomeCount)) {
            error = where + "at most 6 outcomes";
            return std::nullopt;
        }
        for (qsizetype i = 0; i < outcomes.size(); ++i) {
            const QJsonObject out = outcomes[i].toObject();
            auto prompt = cp932::tryFromUtf8(text(out.value("prompt")));
            if (!prompt || prompt->empty()) {
                error = where + "outcome " + std::to_string(i) + " needs a prompt with a code page 932 form";
                return std::nullopt;
            }
            step.outcomes[i].prompt = script.keep(*prompt);
            step.outcomes[i].verdict = out.value("verdict").toInt(0);
            if (out.contains("status"))
                step.outcomes[i].status = script.keep(text(out.value("status")));
        }

        const double size = o.value("captureSize").toDouble(0);
        if (size < 0 || size > kMaxCaptureSize) {
            error = where + "captureSize must be 0 to 64000";
            return std::nullopt;
        }
        step.captureSize = static_cast<std::uint32_t>(size);
        int buffer = -1;
        if (kind == online::kStepCaptureFile && o.contains("capture")) {
            step.captureTarget = const_cast<char *>(script.keep(text(o.value("capture"))));
        } else if ((kind == online::kStepCaptureText || kind == online::kStepCountBytes) && step.captureSize > 0) {
            script.m_buffers.emplace_back(step.captureSize + 1, '\0');
            buffer = static_cast<int>(script.m_buffers.size() - 1);
            step.captureTarget = script.m_buffers.back().data();
        }
        script.m_steps.push_back(step);
        script.m_bufferOfStep.push_back(buffer);
    }
    script.m_steps.push_back(online::ScriptStep{});
    return script;
}

std::optional<std::string> JobScript::capturedText(std::size_t step) const
{
    if (step >= m_bufferOfStep.size() || m_bufferOfStep[step] < 0)
        return std::nullopt;
    return cp932::toUtf8(m_buffers[static_cast<std::size_t>(m_bufferOfStep[step])].data());
}

} // namespace kiro::link
