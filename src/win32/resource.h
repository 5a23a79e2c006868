#pragma once

#define IDI_KALVOR 1
