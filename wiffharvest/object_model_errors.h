#pragma once
// What the page shows when the Analyst object model raises an error.
#include "core/util/html_page.h"
#include "platform/com/com_runtime.h"

// "ERROR\r\n\r\nDescription:<description>\r\nError Message:<message>", the
// message being the system's text for the code ("IDispatch error #n" for
// dispatch codes it has no text for, "Unknown error 0x..." otherwise).
PageHtml objectModelErrorText(const ComError& error);
