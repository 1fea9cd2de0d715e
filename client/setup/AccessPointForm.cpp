#include "client/setup/AccessPointForm.h"

#include "client/app/ClientSettings.h"
#include "client/app/Prompt.h"

namespace kiro::setup {
namespace {

int clampSpeedPosition(int position)
{
    return position >= 0 && position < static_cast<int>(kSpeedTable.size()) ? position : 0;
}

} // namespace

const std::array<FieldCheckRow, 3> AccessPointForm::kChecks = {{
    {Gate1Name, FieldCheckRow::Required, "出発ゲート１のｱｸｾｽﾎﾟｲﾝﾄ名", 0},
    {Gate1Phone, FieldCheckRow::Required | FieldCheckRow::HalfWidthOnly, "出発ゲート１の電話番号", 0},
    {Gate2Phone, FieldCheckRow::HalfWidthOnly, "出発ゲート２の電話番号", 0},
}};

int defaultSpeedPosition(int roadCode)
{
    static constexpr int kByRoad[] = {0, 0, 0, 1, 2, 3, 3, 3, 0};
    const int road = roadCode / 10;
    return road >= 0 && road < static_cast<int>(std::size(kByRoad)) ? kByRoad[road] : 0;
}

AccessPointForm::AccessPointForm(const app::ClientSettings& settings)
{
    m_gates[0] = {settings.AccessPointName, settings.AccessPoint, settings.RoadType * 10,
                  clampSpeedPosition(settings.AccessSpeedPos)};
    m_gates[1] = {settings.AccessPoint2ndName, settings.AccessPoint2nd, settings.RoadType2 * 10,
                  clampSpeedPosition(settings.AccessSpeedPos2)};
}

bool AccessPointForm::applyRow(const AccessPointRow* row, app::Prompt& prompt)
{
    if (!row) {
        prompt.message("アクセスポイントを\n指定してください。");
        return false;
    }
    if (m_selected != 1 && m_selected != 2) {
        prompt.message("出発ゲートを指定してください。");
        return false;
    }
    Gate& target = gate(m_selected);
    target.name = row->place;
    target.phone = row->number;
    target.roadCode = row->roadCode;
    target.speedPosition = defaultSpeedPosition(row->roadCode);
    return true;
}

void AccessPointForm::store(app::ClientSettings& settings) const
{
    const Gate& first = m_gates[0];
    settings.AccessPoint = first.phone;
    settings.AccessPointName = first.name;
    settings.RoadType = first.roadCode / 10;
    settings.AccessSpeedPos = clampSpeedPosition(first.speedPosition);
    settings.BaudRate = kSpeedTable[settings.AccessSpeedPos].value;
    const Gate& second = m_gates[1];
    settings.AccessPoint2nd = second.phone;
    settings.AccessPoint2ndName = second.name;
    settings.RoadType2 = second.roadCode / 10;
    settings.AccessSpeedPos2 = clampSpeedPosition(second.speedPosition);
    settings.BaudRate2 = kSpeedTable[settings.AccessSpeedPos2].value;
}

} // namespace kiro::setup
