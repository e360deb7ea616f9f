// What a host shares with the monitor plug-in, declared on the host's side: the tables of
// virtual operations that both sides call by slot, the records of the plug-in's two exports,
// and the error record that the plug-in throws. Nothing here comes from the plug-in's own
// sources; in every class the order of the virtual functions is the contract.
#pragma once

#include <cstdint>
#include <cstring>

class KrDataBase; // the plug-in's settings data base, only ever passed by reference

// The framework's string where it crosses as a result: one pointer to a shared record, null
// for the empty string. A host hands back only empty ones. The destructor is user-provided so
// that, as on the plug-in's side, the value is returned through memory.
class KrString
{
public:
    KrString() = default;
    KrString(const KrString&) = delete;
    KrString& operator=(const KrString&) = delete;
    ~KrString() {}

    void* record = nullptr;
};

// The error that every failing plug-in operation throws by value. Catch it by constant
// reference; its texts belong to the plug-in and live as long as the handler.
class KrError
{
public:
    KrError() = delete;
    KrError(const KrError&) = delete;
    KrError& operator=(const KrError&) = delete;

    int32_t Code() const { return code; }
    const char* Name() const { return name; } // may be null
    const char* File() const { return file; } // may be null
    int32_t Line() const { return line; }

private:
    int32_t code;
    char* name;
    char* file;
    int32_t line;
};

// A reference-counted object: the creator holds the first reference.
class KrObject
{
public:
    KrObject() = default;
    KrObject(const KrObject&) = delete;
    KrObject& operator=(const KrObject&) = delete;

    // This object for "KrObject" and "KrCastBase", else null.
    virtual KrObject* Cast(const char* className)
    {
        const bool named = className != nullptr &&
                           (std::strcmp(className, "KrObject") == 0 || std::strcmp(className, "KrCastBase") == 0);
        return named ? this : nullptr;
    }
    virtual const char* ClassName() const { return "KrObject"; }
    virtual ~KrObject() = default;
    virtual int32_t RefCount() const { return refCount; }
    virtual void Retain() { ++refCount; }
    // The last reference destroys the object.
    virtual void Release()
    {
        if (--refCount == 0)
            delete this;
    }

private:
    int32_t refCount = 1;
};

// A byte stream; a host's log stream need only write. The plug-in calls only Write on it.
class KrStream : public KrObject
{
public:
    virtual int32_t Read(void*, int32_t, int32_t* got)
    {
        if (got != nullptr)
            *got = 0;
        return 0;
    }
    virtual void Write(const void* data, int32_t count, int32_t* written) = 0;
    virtual void Seek(int32_t, int32_t) {}
    virtual int32_t Tell() { return 0; }
    virtual KrString Describe() { return KrString(); }
    virtual bool IsSeekable() { return false; }
};

// The operations through which a transform reads and writes vectors, the host's and the
// plug-in's alike.
class KrVectorData
{
public:
    virtual ~KrVectorData() = default;
    virtual KrVectorData& Assign(const KrVectorData& source) = 0;
    virtual int32_t GetSize() const = 0;
    virtual void SetSize(int32_t n) = 0;
    virtual double Get(int32_t index) const = 0;
    virtual double& At(int32_t index) = 0;
    virtual int32_t GetType() const = 0; // colour-space signature, 'RGB ' = 0x52474220
    virtual void SetType(int32_t tag) = 0;
};

class KrMatrixData
{
public:
    virtual ~KrMatrixData() = default;
    virtual KrMatrixData& Assign(const KrMatrixData& source) = 0;
    virtual int32_t GetRows() const = 0;
    virtual int32_t GetColumns() const = 0;
    virtual void SetSize(int32_t rows, int32_t columns) = 0;
    virtual double Get(int32_t row, int32_t column) const = 0;
    virtual double& At(int32_t row, int32_t column) = 0;
    virtual int32_t GetType() const = 0;
    virtual void SetType(int32_t tag) = 0;
};

// The plug-in's vector and matrix values where Transform and TransformMatrix take or return
// them by value: their table pointer, then one pointer to a shared record, null for an empty
// value. A host reads and writes the plug-in's vectors only through KrVectorData and
// KrMatrixData, and returns only empty values (the destructor is user-provided, so they are
// returned through memory, as on the plug-in's side).
class KrVector
{
public:
    KrVector() = default;
    KrVector(const KrVector&) = delete;
    KrVector& operator=(const KrVector&) = delete;
    virtual ~KrVector() {}

    void* record = nullptr;
};

class KrMatrix
{
public:
    KrMatrix() = default;
    KrMatrix(const KrMatrix&) = delete;
    KrMatrix& operator=(const KrMatrix&) = delete;
    virtual ~KrMatrix() {}

    void* record = nullptr;
};

// The host's progress observer: the plug-in calls only its second operation.
class KrProgressObserver
{
public:
    virtual void Unused() {}
    virtual void ReportProgress(double fractionDone) = 0;

protected:
    ~KrProgressObserver() = default;
};

// A colour transform, the host's or the plug-in's: twenty operations, KrObject's six first.
// The devices call only TransformInto, which reads its input through KrVectorData and writes
// its output only through Assign; in and out may be the same vector. A host's own transform
// implements every slot (see KrHostCurveTrafo).
class KrTrafo : public KrObject
{
public:
    virtual int32_t GetOne() const = 0;
    virtual int32_t GetInputDimension() const = 0;
    virtual int32_t GetOutputDimension(int32_t inputDimension) const = 0;
    virtual int32_t GetInputSpace() const = 0;
    virtual int32_t GetOutputSpace(int32_t inputSpace) const = 0;
    virtual KrVector Transform(const KrVector& in) const = 0;
    virtual KrMatrix TransformMatrix(const KrMatrix& in, KrProgressObserver* progress) const = 0;
    virtual void TransformInto(const KrVectorData& in, KrVectorData& out) const = 0;
    virtual void TransformMatrixInto(const KrMatrixData& in, KrMatrixData& out, KrProgressObserver* ignored) const = 0;
    virtual void ReadSettings(KrDataBase& db) = 0;
    virtual void WriteSettings(KrDataBase& db) const = 0;
    virtual KrString GetAttribute(int32_t key) = 0;
    virtual void SetAttribute(int32_t key, const KrString& value) = 0;
    virtual void InitAttributes() = 0;
};

// A device of the kind "KrMonitorDevice": 24 operations, the destructor last. Made by a create
// function and ended only by the destroy function registered with it.
class KrMonitorDevice
{
public:
    virtual void Destroy() = 0;
    virtual int32_t QueryA() = 0;
    virtual int32_t ConnectMonitor(int32_t display) = 0; // 0 connected, 66 not
    virtual void Disconnect() = 0;
    virtual bool IsConnected() = 0;
    virtual int32_t QueryB() = 0;
    virtual double GetBrightness() = 0;
    virtual double GetContrast() = 0;
    virtual double GetRedGain() = 0;
    virtual double GetBlueGain() = 0;
    virtual double GetGreenGain() = 0;
    virtual void SetBrightness(double brightness) = 0;
    virtual void SetContrast(double contrast) = 0;
    virtual void SetRedGain(double gain) = 0;
    virtual void SetGreenGain(double gain) = 0;
    virtual void SetBlueGain(double gain) = 0;
    virtual bool QueryC() = 0;
    virtual bool QueryD() = 0;
    virtual void SetGammaCurve(double gamma, KrProgressObserver* progress) = 0;
    virtual void SetRGBCalibration(KrTrafo* transform, KrProgressObserver* progress) = 0;
    virtual void InitCalibrationMode(double brightness, KrProgressObserver* progress) = 0;
    virtual void ReapplySettings() = 0;
    // Answers out; writes at most 32 bytes there.
    virtual char* SetNamedParameter(const char* name, const char* value, char* out, int32_t reserved) = 0;

protected:
    virtual ~KrMonitorDevice() = default;
};

extern "C" {
using KrCreateDevice = KrMonitorDevice* (*)();
using KrDestroyDevice = void (*)(KrMonitorDevice* device);
// Called by RegisterModules once per device class; the plug-in ignores the answer.
using KrRegisterModule = int32_t (*)(KrCreateDevice create, KrDestroyDevice destroy, const char* className,
                                     const char* kindName);

// Handed to InitPlugin: pointer-sized fields, of which the plug-in reads only the third.
struct KrPluginContext
{
    void* unused1;
    void* unused2;
    KrStream* logStream; // one reference passes to the plug-in
};

// The plug-in's exports.
using KrRegisterModulesFunction = void (*)(KrRegisterModule callback);
using KrInitPluginFunction = void (*)(const KrPluginContext* context);
}
