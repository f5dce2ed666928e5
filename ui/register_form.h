#pragma once
// "Vydaná výrobní čísla" as a form: the issued serial numbers of one type code, one to pick.

#include <cstdint>
#include <string>
#include <vector>

#include "serial/serial_register.h"
#include "ui/form_field.h"

namespace lumo {

class RegisterForm {
public:
    // A row of the list: its column texts, its value (the sequence number of its serial
    // number) and its check box.
    struct Row {
        std::vector<std::string> texts;
        std::int32_t value = 0;
        bool checked = false;
    };

    RegisterForm();

    // Before the dialog shows: the register's rows read, the last of the file on top (a failure
    // reported). False: the dialog is not shown.
    bool open(int typeCode);
    // A header clicked, whichever: the rows by their sequence numbers (compareListValues), rows
    // without one last, rows alike keeping their order. The current row and the
    // check boxes go with their rows.
    void pressColumn(int column);
    // "OK": the current row picked (`chosen`); without one nothing happens.
    int pressOk();
    int pressClose() { return 0; }

    FormField file;                    // the register file's name, read-only
    std::vector<std::string> columns;  // the headers
    std::vector<Row> rows;             // top first
    int current = -1;                  // the current row, an index into `rows`
    RegisterChoice chosen;
};

}  // namespace lumo
