// A program that links CountingHeap.cpp counts every operator new it makes.
#pragma once

long HeapAllocationCount();
