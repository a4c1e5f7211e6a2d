#pragma once
// A spectrum's parameters as the vendor component lists them: group name,
// name and value, one per term of the export, in document order.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/com_runtime.h"
#include "platform/openformat/export_types.h"

class MSParameter {
public:
    explicit MSParameter(ExportParameter parameter) : parameter_(std::move(parameter)) {}
    std::string getGroupName() const { return parameter_.group; }
    std::string getName() const { return parameter_.name; }
    // A double when the value text is entirely a number, else the text.
    ComVariant getValue() const;

private:
    ExportParameter parameter_;
};

class MSParameterCollection {
public:
    explicit MSParameterCollection(std::shared_ptr<const std::vector<ExportParameter>> parameters)
        : parameters_(std::move(parameters)) {}
    std::int32_t getCount() const;
    // `index` must hold a 32-bit integer in 1..getCount(); anything else
    // raises 0x80070057.
    MSParameter getItem(const ComVariant& index) const;

private:
    std::shared_ptr<const std::vector<ExportParameter>> parameters_;
};
