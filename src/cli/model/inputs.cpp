#include "inputs.h"

#include "fieldtext.h"

namespace {

InputSpec sharedInput(const char *name, const char *valueName, const char *description, Need need)
{
    return {QString::fromLatin1(name), QString::fromLatin1(valueName),
            QString::fromLatin1(description), need};
}

} // namespace

InputSpec pixelSizeInput(Need need)
{
    return sharedInput("pixel-size", "um", "Pixel size in micrometres.", need);
}

InputSpec focalLengthInput(Need need)
{
    return sharedInput("focal-length", "mm", "Focal length in millimetres.", need);
}

InputSpec horizontalResolutionInput(Need need)
{
    return sharedInput("resolution", "pixels",
                       "Horizontal resolution in pixels; of 1920x1080 the width counts.", need);
}

InputSpec horizontalFovInput(Need need)
{
    return sharedInput("hfov", "degrees", "Horizontal field of view in degrees.", need);
}

InputSpec distanceInput()
{
    return sharedInput("distance", "m", "Distance to the target in metres.", Need::optional);
}

InputSpec commandLineOnly(InputSpec input)
{
    input.fromColumns = false;
    return input;
}

InputId InputTable::add(InputSpec input)
{
    m_specs.append(std::move(input));
    return InputId(m_specs.size() - 1);
}

QString normalizedColumnName(const QString &name)
{
    return name.trimmed().toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
}

std::optional<int> InputTable::indexOfColumn(const QString &columnName) const
{
    const QString wanted = normalizedColumnName(columnName);
    for (int index = 0; index < m_specs.size(); ++index) {
        const InputSpec &input = m_specs.at(index);
        if (input.fromColumns
            && (input.name == wanted || input.columnAliases.contains(wanted, Qt::CaseInsensitive)))
            return index;
    }
    return std::nullopt;
}

std::optional<int> InputTable::indexOfWholeRunOption(const QString &columnName) const
{
    const QString wanted = normalizedColumnName(columnName);
    for (int index = 0; index < m_specs.size(); ++index) {
        if (!m_specs.at(index).fromColumns && m_specs.at(index).name == wanted)
            return index;
    }
    return std::nullopt;
}

std::optional<QString> InputValues::operator[](InputId input) const
{
    const auto &value = at(input.m_index);
    return value ? std::optional<QString>(fieldText(*value)) : std::nullopt;
}

bool GivenInputs::given(InputId input) const
{
    return commandLine.given(input) || fedByColumn(input);
}

bool GivenInputs::fedByColumn(InputId input) const
{
    return columnOfInput.at(input.m_index) >= 0;
}

QStringList wholeValues(const std::optional<QString> &joined)
{
    return joined ? joined->split(wholeValuesSeparator) : QStringList();
}
